// The names of the 19 work surfaces, by surface code 1..19, shown exactly as listed.
#pragma once

#include <cstdint>

constexpr int SURFACE_COUNT = 19;
constexpr const char* SURFACE_NAMES[SURFACE_COUNT] = {
    "Flat surface ",
    "Sloping, flat surface",
    "Spherical",
    "Cylindrical",
    "Horizontal cone (tapered cylinder)",
    "Vertical cone",
    "A 3-D oval",
    "The entire side of a torus",
    "The tube of a torus",
    "The top of a vertical torus",
    "Cylinder on 4th axis",
    "Horizontal cone on 4th axis",
    "Sphere on 4th axis",
    "Vertical torus on 4th axis",
    "The flat face of cylinder on a lathe",
    "The side of cylinder on a lathe",
    "Front of ball on a lathe",
    "Die cut blades on 4th axis",
    "Side of ball on a lathe",
};

// The name of a surface code; "" outside 1..19.
inline const char* surface_name(int code) {
  return code >= 1 && code <= SURFACE_COUNT ? SURFACE_NAMES[code - 1] : "";
}
