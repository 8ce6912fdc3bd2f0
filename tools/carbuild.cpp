// gravelin_carbuild <assets/cars/x.txt> <outdir>
//
// Turns one car description into <outdir>/x.bmp (the picture) and
// <outdir>/x.car (what the game reads), named after the description file.
// The picture is painted from the description's shape and colours; the frame
// offsets, the pivot and the rear wheels are worked out from the picture's
// size so that the probe point and the skid marks land as near as the game's
// placement rules allow, and the worst distances found are printed.
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "carbuild_desc.hpp"
#include "carbuild_fit.hpp"
#include "carbuild_paint.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: gravelin_carbuild <car.txt> <outdir>\n");
        return 1;
    }
    const std::string path = argv[1];
    CarDesc desc;
    std::string error;
    if (!readCarDesc(path, desc, error)) {
        std::printf("carbuild: %s\n", error.c_str());
        return 1;
    }
    const std::string stem = std::filesystem::path(path).stem().string();
    if (stem.empty() || stem.size() > 32 ||
        stem.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_-") != std::string::npos) {
        std::printf("carbuild: %s: the file name must be 1 to 32 of a-z, 0-9, _ and -\n",
                    path.c_str());
        return 1;
    }

    const CarPicture picture = paintCar(desc);
    const TyrePlaces tyres = tyrePlaces(desc);

    CarType type;
    type.version = 2;
    type.picture = "cars/" + stem + ".bmp";
    type.name = desc.name;
    type.frameCount = kCarFrames;
    type.frameOffsets = frameOffsetsFor(picture.width, picture.height, kCarFrames);
    // Just inside the front bumper, so the nose meets a wall before the body.
    const double nose = picture.height / 2.0 - 2.0;
    const CarFit fit = fitCar(type.frameOffsets, tyres, nose);
    type.pivot = fit.pivot;
    // The game only reads the rear pair; the front pair records where the
    // front tyres are, from the car's centre.
    type.wheels[0] = {int(std::lround(-tyres.halfTrack)), int(std::lround(tyres.frontY))};
    type.wheels[1] = {int(std::lround(tyres.halfTrack)), int(std::lround(tyres.frontY))};
    type.wheels[2] = fit.rearWheels[0];
    type.wheels[3] = fit.rearWheels[1];
    type.reserved1 = 50.0f;
    type.reserved2 = 0.1f;
    applyHandling(desc, type);

    // The car as the game will read it: whatever the fit made of the
    // picture must pass the game's own checks, or nothing is written.
    CarType asRead;
    if (!decodeCarType(encodeCarType(type), asRead, error)) {
        std::printf("carbuild: %s: the game would refuse this car: %s\n", path.c_str(),
                    error.c_str());
        return 1;
    }

    const std::filesystem::path out = argv[2];
    std::error_code ignored;
    std::filesystem::create_directories(out, ignored);
    const std::string bmpPath = (out / (stem + ".bmp")).string();
    const std::string carPath = (out / (stem + ".car")).string();
    if (!writeFileAtomically(bmpPath, encodeBmp(picture)) ||
        !writeFileAtomically(carPath, encodeCarType(type))) {
        std::printf("carbuild: cannot write %s or %s\n", bmpPath.c_str(), carPath.c_str());
        return 1;
    }
    std::printf("%-10s %-20s %2dx%-2d pivot (%d,%d) rear wheels (%d,%d) (%d,%d); probe off "
                "the nose by %.1f px at worst, worst mark %.1f px\n",
                stem.c_str(), desc.name.c_str(), picture.width, picture.height, type.pivot.x,
                type.pivot.y, type.wheels[2].x, type.wheels[2].y, type.wheels[3].x,
                type.wheels[3].y, fit.worstProbe, fit.worstMark);
    return 0;
}
