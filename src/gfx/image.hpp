// Picture files: 8-bit run-length PCX with its palette at the end, and BMP
// through SDL. Headers are checked against sane limits before anything is
// allocated, so a damaged picture is refused instead of eating memory.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

enum ImageKind : std::uint8_t { Pcx = 0, Bmp = 1, TileFile = 2, NoKind = 255 };

// Judged from the name alone, case-sensitively, in the order .pcx, .bmp, .tl.
ImageKind imageKind(const std::string& name);

// Largest picture side the game accepts; tilesets and car pictures are far
// smaller, and a damaged header must not make us allocate gigabytes.
constexpr std::int32_t kMaxPictureSide = 8192;

// Decodes the pixel indices of a PCX file held in memory. Runs that would
// pass the last pixel are cut, a file that ends early leaves the rest 0.
// False for a file too short for its header and palette, or too large.
bool decodePcx(const std::vector<std::uint8_t>& file, std::int32_t& width, std::int32_t& height,
               std::vector<std::uint8_t>& indices);
// The 256 red, green, blue entries from the last 768 bytes.
bool readPcxPalette(const std::vector<std::uint8_t>& file, std::uint8_t palette[768]);
// A software surface of the picture, 0xFF alpha, or none (with a message).
SDL_Surface* convertPCXToSurface(const std::string& path);
// The same for a PCX file already in memory; name only labels the message.
SDL_Surface* decodePcxSurface(const std::vector<std::uint8_t>& file, const std::string& name);
// Pcx or Bmp by name; a BMP gets white as its transparent colour and is
// converted to the display format. None for other kinds or failures.
SDL_Surface* loadImage(const std::string& name);
// A 24-bit bottom-up BMP of width x height pixels given as 0xRRGGBB, rows
// from the top: the picture files our content tools write.
std::vector<std::uint8_t> encodeBmp24(std::int32_t width, std::int32_t height,
                                      const std::vector<std::uint32_t>& pixels);
// Loads a BMP without colour key or conversion, refusing absurd headers
// before SDL sees them (the title picture, tools).
SDL_Surface* loadCheckedBmp(const std::string& path);
// The same checks and load for a BMP file already in memory.
SDL_Surface* decodeCheckedBmp(const std::vector<std::uint8_t>& file);
