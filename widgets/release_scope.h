#pragma once
// Keeps destroyed widget records alive while any event is being handled, so that a callback
// may destroy the widget it was called for (or its ancestors) without the caller touching freed
// memory. Internal to the toolkit.
#include "widgets/toolkit.h"

namespace squish::widgets {

// Frees every record on the toolkit's release list.
void releaseDestroyedWidgets(Toolkit& toolkit);

class ReleaseScope {
 public:
  explicit ReleaseScope(Toolkit& toolkit) : toolkit_(toolkit) { ++toolkit_.eventDepth; }
  ~ReleaseScope() {
    if (--toolkit_.eventDepth == 0) releaseDestroyedWidgets(toolkit_);
  }
  ReleaseScope(const ReleaseScope&) = delete;
  ReleaseScope& operator=(const ReleaseScope&) = delete;

 private:
  Toolkit& toolkit_;
};

}  // namespace squish::widgets
