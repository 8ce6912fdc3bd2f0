#include "frontend/race_drawing.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "gfx/surface.hpp"
#include "race/race.hpp"
#include "track/track.hpp"

#include <algorithm>
#include <cstdio>

RaceDrawing::~RaceDrawing() {
    clear();
}

void RaceDrawing::clear() {
    sprites.clear();
    views.clear();
    viewPlayers.clear();
    layer3Cells.clear();
    layer4Cells.clear();
    if (trackSurface) SDL_FreeSurface(trackSurface);
    trackSurface = nullptr;
    minimap.clear();
    lapLine = {};
}

bool RaceDrawing::addSprite(const CarType& type, std::string& why) {
    std::printf("creating car,filename:%s\n", type.picture.c_str());
    std::unique_ptr<Animation> animation = buildAnimation(type.picture, type.frameCount);
    std::printf("animation created.\n");
    if (!animation || animation->frameCount < type.frameCount) {
        why = "the frames of " + type.picture + " cannot be made";
        return false;
    }
    auto sprite = std::make_unique<Sprite>();
    sprite->animation = std::move(animation);
    sprites.push_back(std::move(sprite));
    return true;
}

void RaceDrawing::makeViews(const Race& race, std::int32_t w, std::int32_t h, std::int32_t first,
                            std::int32_t second) {
    views.clear();
    viewPlayers.clear();
    const auto carOf = [&race](std::int32_t i) -> const Car* {
        return i >= 0 && std::size_t(i) < race.players().size()
                   ? race.players()[std::size_t(i)]->car.get()
                   : nullptr;
    };
    if (second >= 0) {
        createView(0, 0, w, h / 2 - 1)->target = carOf(first);
        createView(0, h / 2 + 1, w, h / 2 - 1)->target = carOf(second);
        viewPlayers = {first, second};
    } else {
        createView(0, 0, w, h)->target = carOf(first);
        viewPlayers = {first};
    }
    // Views made on a track already drawn (a replay switching cars) scroll
    // over all of it at once.
    if (trackSurface)
        for (auto& v : views)
            v->setLimits(trackSurface->w, trackSurface->h);
}

View* RaceDrawing::createView(std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) {
    views.push_back(std::make_unique<View>(x, y, width, height));
    return views.back().get();
}

bool RaceDrawing::prepare(const Race& race) {
    layer3Cells.clear();
    layer4Cells.clear();
    if (trackSurface) SDL_FreeSurface(trackSurface);
    trackSurface = nullptr;
    const Track* track = race.track();
    if (!track) return false;
    const std::int32_t w = track->pixelWidth(), h = track->pixelHeight();
    layer3Cells = collectCoveringCells(*track, 3);
    layer4Cells = collectCoveringCells(*track, 4);
    mapWidth_ = track->width;
    mapHeight_ = track->height;
    pitchX_ = std::max(1, track->pitchX());
    pitchY_ = std::max(1, track->pitchY());
    largestTileW_ = largestTileH_ = 0;
    if (track->tileset)
        for (const Tile& t : track->tileset->tiles) {
            largestTileW_ = std::max(largestTileW_, t.width);
            largestTileH_ = std::max(largestTileH_, t.height);
        }
    indexCells(layer3Cells, layer3Grid_);
    indexCells(layer4Cells, layer4Grid_);
    touched_.clear();
    trackSurface = createDisplaySurface(w, h);
    if (!trackSurface) {
        std::printf("Cannot make a surface for the track\n");
        return false;
    }
    for (auto& v : views)
        v->setLimits(trackSurface->w, trackSurface->h);
    track->renderArea(trackSurface, 0, 0, 0, 0, w / track->pitchX(), h / track->pitchY());
    // What a sprite saved belongs to the last race's track.
    for (auto& sprite : sprites)
        sprite->backgroundSaved = false;
    // Made here once from the freshly drawn track, before any car or skid
    // mark is on it; no frame ever shrinks the track again. It must leave
    // room in a view of two for the race display.
    std::int32_t smallestView = 400;
    for (auto& v : views)
        smallestView = std::min(smallestView, v->height);
    if (!minimap.prepare(trackSurface, sprites, kMinimapWidth,
                         std::min(kMinimapHeight, smallestView * 2 / 5)))
        std::printf("No small map for this track\n");
    lapLine = makeLapLine(*track);
    return true;
}

void RaceDrawing::eraseCars() {
    touched_.clear();
    for (auto it = sprites.rbegin(); it != sprites.rend(); ++it) {
        if ((*it)->backgroundSaved) touched_.push_back((*it)->savedRect());
        (*it)->restore(trackSurface);
    }
}

void RaceDrawing::indexCells(const std::vector<CoveringCell>& cells, CellGrid& grid) const {
    grid.index.assign(std::size_t(mapWidth_) * std::size_t(mapHeight_), -1);
    grid.marked.assign(cells.size(), 0);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const CoveringCell& c = cells[i];
        if (c.x >= 0 && c.y >= 0 && c.x < mapWidth_ && c.y < mapHeight_)
            grid.index[std::size_t(c.y) * std::size_t(mapWidth_) + std::size_t(c.x)] =
                std::int32_t(i);
    }
}

const std::vector<CoveringCell>& RaceDrawing::cellsMeeting(const std::vector<CoveringCell>& cells,
                                                           CellGrid& grid) {
    chosen_.clear();
    if (grid.marked.size() != cells.size()) return chosen_;
    bool any = false;
    for (const SDL_Rect& r : touched_) {
        if (r.w == 0 || r.h == 0) continue;
        // A cell's tiles are drawn from its corner and may be as large as
        // the largest tile, so cells up to that far left and above count.
        const std::int32_t x1 = std::max(0, (r.x - largestTileW_) / pitchX_);
        const std::int32_t y1 = std::max(0, (r.y - largestTileH_) / pitchY_);
        const std::int32_t x2 = std::min(mapWidth_ - 1, (r.x + r.w) / pitchX_);
        const std::int32_t y2 = std::min(mapHeight_ - 1, (r.y + r.h) / pitchY_);
        for (std::int32_t cy = y1; cy <= y2; ++cy)
            for (std::int32_t cx = x1; cx <= x2; ++cx) {
                const std::int32_t i =
                    grid.index[std::size_t(cy) * std::size_t(mapWidth_) + std::size_t(cx)];
                if (i >= 0) grid.marked[std::size_t(i)] = any = true;
            }
    }
    if (!any) return chosen_;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (grid.marked[i]) {
            chosen_.push_back(cells[i]);
            grid.marked[i] = 0;
        }
    return chosen_;
}

void paintSkidMarks(SDL_Surface* surface, const Car& car) {
    if (!car.marking || !surface || surface->format->BytesPerPixel != 4) return;
    if (SDL_LockSurface(surface) != 0) return;
    std::uint32_t* pixel[4] = {};
    std::uint32_t value[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const IntPoint& p = car.marks[i];
        if (p.x < 0 || p.y < 0 || p.x >= surface->w || p.y >= surface->h) continue;
        pixel[i] = pixelRow(surface, p.y) + p.x;
        value[i] = *pixel[i];
    }
    for (std::size_t i = 0; i < 4; ++i)
        if (pixel[i]) *pixel[i] = halfColour(value[i]);
    SDL_UnlockSurface(surface);
}

void RaceDrawing::paintSkidMarks(const Race& race) {
    if (!skidmarks) return;
    // In the order the cars moved, the last one first.
    const auto& players = race.players();
    for (auto it = players.rbegin(); it != players.rend(); ++it)
        ::paintSkidMarks(trackSurface, *(*it)->car);
}

void RaceDrawing::drawObjects(const Race& race, bool raceOver) {
    const Track* track = race.track();
    if (!track || !trackSurface) return;
    // Only the cells that a car left or comes to need putting back and
    // covering again: the others hold what the last frame drew there.
    const auto& players = race.players();
    for (std::size_t i = 0; i < players.size() && i < sprites.size(); ++i) {
        Sprite& s = *sprites[i];
        const Car& car = *players[i]->car;
        s.x = car.x;
        s.y = car.y;
        s.frame = car.frame;
        touched_.push_back(s.drawnRect());
    }
    const std::vector<CoveringCell>& cells =
        raceOver ? cellsMeeting(layer3Cells, layer3Grid_) : cellsMeeting(layer4Cells, layer4Grid_);
    restoreCells(*track, cells, trackSurface);
    for (std::size_t i = 0; i < players.size() && i < sprites.size(); ++i)
        sprites[i]->draw(trackSurface);
    if (raceOver)
        drawCellShadows(*track, cells, trackSurface);
    else
        drawCellCovers(*track, cells, trackSurface);
}

void RaceDrawing::drawViews(SDL_Surface* screen) {
    for (auto& view : views) {
        view->follow();
        view->drawView(screen, trackSurface);
    }
}
