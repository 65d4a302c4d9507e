#pragma once
// The toolkit's colour schemes: eight colours by role (face, bevel edges, outlines, ink), one
// table of palette indices for the 8-bit screen and one of RGB values for other depths.
#include <array>
#include <cstdint>

namespace squish::widgets {

struct Toolkit;

using ColourScheme = std::array<std::int32_t, 8>;

// Roles of the entries the kinds draw with ("colour n" in the kinds' drawing).
inline constexpr std::int32_t faceColour = 0x1000001;
inline constexpr std::int32_t lightEdgeColour = 0x1000002;
inline constexpr std::int32_t darkEdgeColour = 0x1000003;
inline constexpr std::int32_t outlineColour = 0x1000004;
inline constexpr std::int32_t inkColour = 0x1000005;

inline constexpr ColourScheme paletteScheme{0, 7, 15, 0, 0, 0, 15, 0};
inline constexpr ColourScheme trueColourScheme{0, 0x7F7FBF, 0xFFFFFF, 0, 0, 0xFFFFFF, 0, 0};

enum class SchemeChoice : std::int32_t { trueColour = 0, palette = 1 };

// Entry (index & 7) of the current scheme.
std::int32_t schemeColour(const Toolkit& toolkit, std::int32_t index);
// Writes entry (index & 7) of the current scheme table.
void setSchemeColour(Toolkit& toolkit, std::int32_t index, std::int32_t value);
// Depth 8 makes the palette-index scheme current, any other depth the RGB one.
void selectScheme(Toolkit& toolkit, std::int32_t depth);

}  // namespace squish::widgets
