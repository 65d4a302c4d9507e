// The toolkit's colour schemes: lookups and writes go to the table the toolkit currently uses.
#include "widgets/colour_scheme.h"

#include "widgets/toolkit.h"

namespace squish::widgets {

namespace {

ColourScheme& currentTable(Toolkit& toolkit) {
  return toolkit.schemes[static_cast<std::size_t>(toolkit.currentScheme)];
}

}  // namespace

std::int32_t schemeColour(const Toolkit& toolkit, std::int32_t index) {
  const ColourScheme& table = toolkit.schemes[static_cast<std::size_t>(toolkit.currentScheme)];
  return table[static_cast<std::size_t>(index & 7)];
}

void setSchemeColour(Toolkit& toolkit, std::int32_t index, std::int32_t value) {
  currentTable(toolkit)[static_cast<std::size_t>(index & 7)] = value;
}

void selectScheme(Toolkit& toolkit, std::int32_t depth) {
  toolkit.currentScheme = depth == 8 ? SchemeChoice::palette : SchemeChoice::trueColour;
}

}  // namespace squish::widgets
