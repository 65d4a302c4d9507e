// PNG encoding through libspng into a buffer it owns, copied out once complete. Level 6 of
// DEFLATE keeps a 640 × 480 screenshot to a few milliseconds: squish's pictures are mostly one
// background colour and compress well at any level.
#include "pictures/png_file.h"

#include <spng.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace squish::pictures {
namespace {

constexpr int compressionLevel = 6;

struct ContextDeleter {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

std::string spngError(int error) {
  return std::string("PNG encoder: ") + spng_strerror(error);
}

}  // namespace

Encoded encodePng(const Picture& picture) {
  if (!picture.isWhole()) return {{}, "no picture"};
  const std::unique_ptr<spng_ctx, ContextDeleter> context(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!context) return {{}, "out of memory"};
  spng_ctx* png = context.get();
  spng_ihdr header{};
  header.width = static_cast<std::uint32_t>(picture.width);
  header.height = static_cast<std::uint32_t>(picture.height);
  header.bit_depth = 8;
  header.color_type = SPNG_COLOR_TYPE_INDEXED;
  spng_plte palette{};
  palette.n_entries = 256;
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint32_t colour = picture.palette[i];
    palette.entries[i] = {redOf(colour), greenOf(colour), blueOf(colour), 0};
  }
  int error = spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);
  if (error == 0) error = spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, compressionLevel);
  if (error == 0) error = spng_set_ihdr(png, &header);
  if (error == 0) error = spng_set_plte(png, &palette);
  if (error == 0)
    error = spng_encode_image(png, picture.pixels.data(), picture.pixels.size(), SPNG_FMT_PNG,
                              SPNG_ENCODE_FINALIZE);
  if (error != 0) return {{}, spngError(error)};
  std::size_t size = 0;
  void* buffer = spng_get_png_buffer(png, &size, &error);
  if (buffer == nullptr) return {{}, spngError(error)};
  Encoded encoded;
  try {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    encoded.bytes.assign(bytes, bytes + size);
  } catch (const std::bad_alloc&) {
    encoded.error = "out of memory";
  }
  std::free(buffer);
  return encoded;
}

}  // namespace squish::pictures
