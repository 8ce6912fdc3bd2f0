#include "ui/screen_context.hpp"

#include "gfx/font.hpp"

#include <string>

const char* const kBannerText = "Gravelin v0.33 (C) 2003";

void drawBanner(const ScreenContext& context) {
    SDL_Surface* screen = context.screen;
    if (!screen) return;
    const Font& font = context.fonts.small;
    const std::size_t length = std::char_traits<char>::length(kBannerText);
    const std::uint32_t width = std::uint32_t(length) * std::uint32_t(glyphWidth(font, 'A') + 1);
    const std::int32_t x = screen->w / 2 - std::int32_t(width / 2);
    drawText(screen, font, x, screen->h - 15, kBannerText, 0xFFFFFFFF, true);
}
