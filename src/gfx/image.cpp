#include "gfx/image.hpp"

#include "base/bytes.hpp"
#include "gfx/surface.hpp"

#include <cstdio>
#include <cstdlib>

ImageKind imageKind(const std::string& name) {
    if (name.find(".pcx") != std::string::npos) return Pcx;
    if (name.find(".bmp") != std::string::npos) return Bmp;
    if (name.find(".tl") != std::string::npos) return TileFile;
    return NoKind;
}

bool pictureSizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

namespace {
constexpr std::size_t kPcxHeader = 128;
constexpr std::size_t kPaletteBytes = 768;

void reportPictureSize(const std::string& path, std::int64_t w, std::int64_t h) {
    std::fprintf(stderr,
                 "Picture %s is %lld x %lld pixels, more than the game takes (%d a side, %lld "
                 "in all).\n",
                 path.c_str(), static_cast<long long>(w), static_cast<long long>(h),
                 kMaxPictureSide, static_cast<long long>(kMaxPicturePixels));
}
} // namespace

bool decodePcx(const std::vector<std::uint8_t>& file, std::int32_t& width, std::int32_t& height,
               std::vector<std::uint8_t>& indices) {
    width = height = 0;
    indices.clear();
    if (file.size() < kPcxHeader + kPaletteBytes) return false;
    width = file[8] + 256 * file[9] + 1;
    height = file[10] + 256 * file[11] + 1;
    if (!pictureSizeAllowed(width, height)) return false;
    indices.assign(std::size_t(width) * height, 0);
    // The palette is not pixel data, so runs stop where it begins.
    const std::size_t end = file.size() - kPaletteBytes;
    std::size_t in = kPcxHeader, out = 0;
    while (out < indices.size() && in < end) {
        const std::uint8_t b = file[in++];
        if (b <= 192) {
            indices[out++] = b;
            continue;
        }
        if (in >= end) break;
        const std::uint8_t v = file[in++];
        for (int n = b - 192; n > 0 && out < indices.size(); --n)
            indices[out++] = v;
    }
    return true;
}

bool readPcxPalette(const std::vector<std::uint8_t>& file, std::uint8_t palette[768]) {
    if (file.size() < kPaletteBytes) return false;
    std::copy(file.end() - kPaletteBytes, file.end(), palette);
    return true;
}

SDL_Surface* decodePcxSurface(const std::vector<std::uint8_t>& file, const std::string& name) {
    std::vector<std::uint8_t> indices;
    std::int32_t w = 0, h = 0;
    std::uint8_t palette[768];
    if (!decodePcx(file, w, h, indices) || !readPcxPalette(file, palette)) {
        if (w > 0 && h > 0 && !pictureSizeAllowed(w, h)) {
            reportPictureSize(name, w, h);
            return nullptr;
        }
        std::fprintf(stderr, "Picture %s is not a PCX picture the game can read.\n", name.c_str());
        return nullptr;
    }
    SDL_Surface* s = createSurface(w, h, false);
    if (SDL_LockSurface(s) != 0) {
        SDL_FreeSurface(s);
        return nullptr;
    }
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint32_t* row = pixelRow(s, y);
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint8_t* rgb = palette + 3 * indices[std::size_t(y) * w + x];
            row[x] = 0xFF000000u + rgb[0] * 65536u + rgb[1] * 256u + rgb[2];
        }
    }
    SDL_UnlockSurface(s);
    return s;
}

SDL_Surface* convertPCXToSurface(const std::string& path) {
    std::vector<std::uint8_t> file;
    if (!readWholeFile(path, file)) {
        std::fprintf(stderr, "Cannot find file %s.\n", path.c_str());
        return nullptr;
    }
    SDL_Surface* s = decodePcxSurface(file, path);
    if (s) std::printf("convertPCXToSurface:image:%s,w:%d,h:%d\n", path.c_str(), s->w, s->h);
    return s;
}

SDL_Surface* decodeCheckedBmp(const std::vector<std::uint8_t>& file, const std::string& name) {
    ByteReader in(file);
    std::uint8_t magic[2] = {};
    in.take(magic, 2);
    in.seek(18);
    const std::int32_t w = in.i32();
    const std::int32_t h = in.i32();
    if (!in.ok() || magic[0] != 'B' || magic[1] != 'M') return nullptr;
    // A negative height is a top-down picture.
    const std::int64_t rows = h < 0 ? -std::int64_t(h) : h;
    if (!pictureSizeAllowed(w, rows)) {
        reportPictureSize(name, w, rows);
        return nullptr;
    }
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), int(file.size()));
    return rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
}

SDL_Surface* loadCheckedBmp(const std::string& path) {
    std::vector<std::uint8_t> file;
    if (!readWholeFile(path, file)) return nullptr;
    return decodeCheckedBmp(file, path);
}

SDL_Surface* loadImage(const std::string& name) {
    switch (imageKind(name)) {
    case Pcx:
        return convertPCXToSurface(name);
    case Bmp: {
        SDL_Surface* loaded = loadCheckedBmp(name);
        if (!loaded) return nullptr;
        SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, 0xFFFFFF);
        // Without a display (a race run with no window) the game's own
        // 32-bit format stands in for the display's.
        SDL_Surface* converted = nullptr;
        if (SDL_GetVideoSurface()) {
            converted = SDL_DisplayFormatAlpha(loaded);
        } else if (SDL_Surface* format = createSurface(1, 1, false)) {
            converted = SDL_ConvertSurface(loaded, format->format, SDL_SWSURFACE);
            SDL_FreeSurface(format);
        }
        SDL_FreeSurface(loaded);
        if (converted && SDL_LockSurface(converted) == 0) {
            // Keyed pixels may keep their white; make them 0, so that the
            // masked copies, which treat black as transparent, skip them.
            for (std::int32_t y = 0; y < converted->h; ++y) {
                std::uint32_t* row = pixelRow(converted, y);
                for (std::int32_t x = 0; x < converted->w; ++x)
                    if ((row[x] >> 24) == 0) row[x] = 0;
            }
            SDL_UnlockSurface(converted);
        }
        return converted;
    }
    default:
        return nullptr;
    }
}

std::vector<std::uint8_t> encodeBmp24(std::int32_t width, std::int32_t height,
                                      const std::vector<std::uint32_t>& pixels) {
    const std::uint32_t rowBytes = (std::uint32_t(width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * std::uint32_t(height);
    ByteWriter out;
    out.u8('B');
    out.u8('M');
    out.u32(54 + imageBytes);
    out.u32(0);
    out.u32(54); // pixel data offset
    out.u32(40); // info header size
    out.i32(width);
    out.i32(height);
    out.i16(1);
    out.i16(24);
    out.u32(0); // uncompressed
    out.u32(imageBytes);
    out.i32(2835); // 72 dpi
    out.i32(2835);
    out.u32(0);
    out.u32(0);
    for (std::int32_t y = height - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t c = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            out.u8(std::uint8_t(c));
            out.u8(std::uint8_t(c >> 8));
            out.u8(std::uint8_t(c >> 16));
        }
        for (std::uint32_t pad = std::uint32_t(width) * 3; pad < rowBytes; ++pad)
            out.u8(0);
    }
    return out.bytes();
}
