// The car types in cars/, read once at start-up, and finding one by what a
// driver's profile names.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct CarType;

// Every readable .car file in cars/, in file name order; a damaged one is
// left out with a message.
std::vector<std::unique_ptr<CarType>> loadCarTypes();
// The type named, by name, else by picture; none.
CarType* findCarType(const std::vector<std::unique_ptr<CarType>>& cars, const std::string& text);
