// The toolkit's ties to its screen (start-up, key reading, palette saving) and the release of
// widget records: destroyed ones once no event is under way, all of them with the toolkit.
#include "widgets/toolkit.h"

#include <string>

#include "display/input.h"
#include "widgets/colour_scheme.h"
#include "widgets/release_scope.h"

namespace squish::widgets {

void releaseDestroyedWidgets(Toolkit& toolkit) {
  while (toolkit.releaseList != nullptr) {
    Widget* widget = toolkit.releaseList;
    toolkit.releaseList = widget->nextSibling;
    delete widget;
  }
}

// Frees the whole tree without sending events: always the first child of a parent goes, so a
// parent is freed once its last child has.
Toolkit::~Toolkit() {
  releaseDestroyedWidgets(*this);
  Widget* widget = root;
  while (widget != nullptr) {
    if (widget->firstChild != nullptr) {
      widget = widget->firstChild;
      continue;
    }
    Widget* up = widget->parent;
    Widget* next = widget->nextSibling;
    if (up != nullptr) up->firstChild = next;
    delete widget;
    widget = next != nullptr ? next : up;
  }
}

void initToolkit(Toolkit& toolkit, display::Screen& screen, std::int32_t, std::int32_t,
                 std::int32_t depth) {
  toolkit.screen = &screen;
  selectScheme(toolkit, depth);
}

void shutdownToolkit(Toolkit& toolkit) {
  toolkit.screen = nullptr;
}

KeyCode readKeyCode(Toolkit& toolkit) {
  if (toolkit.screen == nullptr) return 0;
  const std::string key = display::readKeyString(*toolkit.screen);
  const std::int32_t first = key.size() > 0 ? static_cast<std::uint8_t>(key[0]) : 0;
  const std::int32_t second = key.size() > 1 ? static_cast<std::uint8_t>(key[1]) : 0;
  return second * 256 + first;
}

void savePalette(Toolkit& toolkit) {
  if (toolkit.screen != nullptr) display::getPalette(*toolkit.screen, toolkit.savedPalette);
}

void restorePalette(Toolkit& toolkit) {
  if (toolkit.screen != nullptr) display::setPalette(*toolkit.screen, toolkit.savedPalette);
}

}  // namespace squish::widgets
