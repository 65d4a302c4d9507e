// GIF recording through giflib. giflib's output goes to a buffer that is handed to the file only
// when a frame is complete, so a failure part way leaves whole frames in the file, and the
// trailer byte then still makes it a valid GIF.
#include "pictures/gif_recording.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>
#include <utility>

namespace squish::pictures {
namespace {

constexpr std::int64_t longestDelay = 65535;

std::int64_t hundredthsOf(double seconds) {
  if (!(seconds > 0.0)) return 0;
  return std::llround(std::min(seconds, 1.0e15) * 100.0);
}

bool samePalette(const Picture& a, const Picture& b) {
  return a.palette == b.palette;
}

struct ColourTable {
  ColorMapObject* map = nullptr;
  explicit ColourTable(const Picture& picture) {
    GifColorType colours[256];
    for (std::size_t i = 0; i < 256; ++i) {
      const std::uint32_t colour = picture.palette[i];
      colours[i] = {redOf(colour), greenOf(colour), blueOf(colour)};
    }
    map = GifMakeMapObject(256, colours);
  }
  ~ColourTable() { GifFreeMapObject(map); }
  ColourTable(const ColourTable&) = delete;
  ColourTable& operator=(const ColourTable&) = delete;
};

// The smallest rectangle holding every pixel that differs between two pictures of one size.
struct Rectangle {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
};

Rectangle changedRectangle(const Picture& before, const Picture& after) {
  std::int32_t left = after.width, right = -1, top = after.height, bottom = -1;
  for (std::int32_t y = 0; y < after.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(after.width);
    const auto* a = before.pixels.data() + row;
    const auto* b = after.pixels.data() + row;
    if (std::equal(a, a + after.width, b)) continue;
    top = std::min(top, y);
    bottom = y;
    const auto first = std::mismatch(a, a + after.width, b).first - a;
    std::int32_t last = after.width - 1;
    while (a[last] == b[last])
      --last;
    left = std::min(left, static_cast<std::int32_t>(first));
    right = std::max(right, last);
  }
  if (bottom < 0) return {0, 0, 1, 1};  // nothing changed: one pixel carries the frame
  return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace

struct GifRecording::Encoder {
  GifFileType* gif = nullptr;
  std::string pending;  // bytes of the frame being encoded
  bool failed = false;

  static int collect(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* encoder = static_cast<Encoder*>(gif->UserData);
    try {
      encoder->pending.append(reinterpret_cast<const char*>(bytes),
                              static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
      encoder->failed = true;
      return 0;
    }
    return count;
  }

  ~Encoder() {
    if (gif != nullptr) EGifCloseFile(gif, nullptr);
  }
};

GifRecording::GifRecording(const std::string& path)
    : file_(std::make_unique<files::FileWriter>(path)), encoder_(std::make_unique<Encoder>()) {
  if (!file_->ok()) error_ = file_->error();
}

GifRecording::~GifRecording() = default;

void GifRecording::fail(std::string why) {
  if (error_.empty()) error_ = std::move(why);
  encoder_->pending.clear();
}

bool GifRecording::add(const Picture& picture, double seconds) {
  if (!ok() || !file_) return false;
  if (!picture.isWhole() ||
      (holding_ && (picture.width != held_.width || picture.height != held_.height))) {
    fail("a picture of another size");
    return false;
  }
  const std::int64_t at = std::max(hundredthsOf(seconds), heldFrom_);
  try {
    if (holding_ && at == heldFrom_) {
      held_.pixels = picture.pixels;
      held_.palette = picture.palette;
      return true;
    }
    if (holding_ && !writeHeld(at)) return false;
    held_ = picture;
  } catch (const std::bad_alloc&) {
    fail("out of memory");
    return false;
  }
  heldFrom_ = at;
  holding_ = true;
  return true;
}

// Opens the GIF on the first frame (its size and palette make the screen description), then
// writes the held picture as a frame shown until `untilHundredths`.
bool GifRecording::writeHeld(std::int64_t untilHundredths) {
  Encoder& encoder = *encoder_;
  const bool first = encoder.gif == nullptr;
  if (first) {
    int error = 0;
    encoder.gif = EGifOpen(&encoder, Encoder::collect, &error);
    if (encoder.gif == nullptr) {
      fail(GifErrorString(error));
      return false;
    }
    EGifSetGifVersion(encoder.gif, true);
    const ColourTable global(held_);
    // The application block makes the animation loop.
    static const GifByteType loop[] = {1, 0, 0};
    if (global.map == nullptr ||
        EGifPutScreenDesc(encoder.gif, held_.width, held_.height, 8, 0, global.map) != GIF_OK ||
        EGifPutExtensionLeader(encoder.gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(encoder.gif, 11, "NETSCAPE2.0") != GIF_OK ||
        EGifPutExtensionBlock(encoder.gif, 3, loop) != GIF_OK ||
        EGifPutExtensionTrailer(encoder.gif) != GIF_OK) {
      fail("GIF encoder: cannot begin the file");
      return false;
    }
    globalPalette_ = held_.palette;
  }
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.DelayTime =
      static_cast<int>(std::clamp<std::int64_t>(untilHundredths - heldFrom_, 1, longestDelay));
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const std::size_t extensionSize = EGifGCBToExtension(&control, extension);

  // A frame in colours other than the global table's carries its own; one whose colours
  // changed since the last frame is written whole, since every pixel may look different.
  const bool ownColours = held_.palette != globalPalette_;
  const Rectangle area = first || !samePalette(held_, shown_)
                             ? Rectangle{0, 0, held_.width, held_.height}
                             : changedRectangle(shown_, held_);
  // giflib drops the table of the frame before without freeing it when this one has none.
  if (!ownColours && encoder.gif->Image.ColorMap != nullptr) {
    GifFreeMapObject(encoder.gif->Image.ColorMap);
    encoder.gif->Image.ColorMap = nullptr;
  }
  const ColourTable local(held_);
  bool written = local.map != nullptr &&
                 EGifPutExtension(encoder.gif, GRAPHICS_EXT_FUNC_CODE,
                                  static_cast<int>(extensionSize), extension) == GIF_OK &&
                 EGifPutImageDesc(encoder.gif, area.left, area.top, area.width, area.height, false,
                                  ownColours ? local.map : nullptr) == GIF_OK;
  for (std::int32_t y = area.top; written && y < area.top + area.height; ++y) {
    auto* row = held_.pixels.data() + static_cast<std::size_t>(y) * held_.width + area.left;
    written = EGifPutLine(encoder.gif, row, area.width) == GIF_OK;
  }
  if (!written || encoder.failed) {
    fail("GIF encoder: cannot write a frame");
    return false;
  }
  if (!file_->write(encoder.pending)) {
    fail(file_->error());
    return false;
  }
  bytesWritten_ += static_cast<std::int64_t>(encoder.pending.size());
  encoder.pending.clear();
  shown_ = std::move(held_);
  holding_ = false;
  ++framesWritten_;
  return true;
}

bool GifRecording::finish(double seconds) {
  if (holding_ && ok()) writeHeld(std::max(hundredthsOf(seconds), heldFrom_ + 1));
  Encoder& encoder = *encoder_;
  if (encoder.gif != nullptr) {
    // The trailer is written by hand: after a failure giflib may be part way through a frame.
    EGifCloseFile(encoder.gif, nullptr);
    encoder.gif = nullptr;
    encoder.pending.clear();
    if (file_->ok()) file_->write(std::string_view("\x3b", 1));
  }
  const bool recorded = ok();
  if (framesWritten_ == 0) {
    file_.reset();  // removes the temporary
  } else if (!file_->finish() && recorded) {
    fail(file_->error());
  }
  return recorded && ok();
}

}  // namespace squish::pictures
