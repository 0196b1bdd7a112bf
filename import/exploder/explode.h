// The DXF block exploder: a DXF file in, a DXF file out whose ENTITIES section holds every
// entity of the input with each INSERT (and its MINSERT grid) replaced by the entities of its
// block, placed by the insert's base point, scale, rotation and extrusion, nested blocks
// included. Entities of a block on layer 0 take the layer of their insert. Arcs under an
// unequal X and Y scale become lines within 0.001 drawing units.
#pragma once

#include <string>
#include <string_view>

constexpr int EXPLODE_MAX_DEPTH = 16;
constexpr double EXPLODE_TOLERANCE = 0.001;
// An expansion writing more entities than this is refused.
constexpr long EXPLODE_MAX_ENTITIES = 1000000;

// False with *error set (a block that inserts itself, nesting deeper than 16 levels, a damaged
// pair, an expansion too large).
bool explode_dxf_text(std::string_view input, std::string* output, std::string* error);
