#include "ui/settings.hpp"

std::int32_t packSelection(std::int32_t* entries, int count) {
    std::int32_t used = 0;
    for (int i = 0; i < count; ++i)
        if (entries[i] >= 0) entries[used++] = entries[i];
    for (int i = used; i < count; ++i)
        entries[i] = -1;
    return used;
}
