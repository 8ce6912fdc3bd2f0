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

// Largest picture the game accepts, so that a damaged header (or a tiny
// file claiming a huge picture) cannot make us allocate gigabytes. The side
// lets a tileset hold the most tiles a track may use (4096 tiles of 32
// pixels, 16 to a row, make 512 x 8192); the area is that same tileset, 16
// MB as a 32-bit surface. The largest shipped picture, grandprix's tileset,
// is 512 x 2816 = 1.4 million pixels.
constexpr std::int32_t kMaxPictureSide = 8192;
constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 22;
// Whether a picture of that size may be loaded.
bool pictureSizeAllowed(std::int64_t width, std::int64_t height);

// Decodes the pixel indices of a PCX file held in memory. Runs that would
// pass the last pixel are cut, a file that ends early leaves the rest 0.
// False for a file too short for its header and palette, or a picture
// larger than pictureSizeAllowed takes.
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
SDL_Surface* decodeCheckedBmp(const std::vector<std::uint8_t>& file,
                              const std::string& name = "BMP picture");
