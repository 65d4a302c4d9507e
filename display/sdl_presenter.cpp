// The SDL presenter. Sections: where the picture sits in the window; the window as a pass
// backend (picture upload, held keys, SDL events to window messages, full-screen switching);
// the presenter thread; start and stop.
#include "display/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "display/code_page_437.h"
#include "display/presenter_pass.h"
#include "display/screen.h"
#include "display/sdl_keys.h"

namespace squish::display {
namespace {

constexpr auto passInterval = std::chrono::milliseconds(10);
constexpr int largestSide = 16384;
// The first window is the largest whole multiple of the picture that fits in this share of
// the display's usable area.
constexpr double firstWindowShare = 0.9;
constexpr int largestScale = 16;

// Where the picture sits in an output area: scaled by the largest whole multiple that fits
// (at least 1) and centred.
struct PictureLayout {
  int x = 0;
  int y = 0;
  int scale = 1;
  int outputWidth = 0;
  int outputHeight = 0;
};

PictureLayout fitPicture(int outputWidth, int outputHeight, int width, int height) {
  const int scale = std::max(1, std::min(outputWidth / width, outputHeight / height));
  return {(outputWidth - width * scale) / 2, (outputHeight - height * scale) / 2, scale,
          outputWidth, outputHeight};
}

// An output pixel coordinate as a picture coordinate, rounding toward negative infinity so
// that points left of or above the picture stay negative.
int toPicture(std::int64_t outputCoordinate, int offset, int scale) {
  const std::int64_t relative = outputCoordinate - offset;
  const std::int64_t picture =
      relative >= 0 ? relative / scale : -((-relative + scale - 1) / scale);
  return static_cast<int>(std::clamp<std::int64_t>(picture, -largestSide, largestSide));
}

// A window coordinate (what pointer events carry) as an output pixel coordinate: on a HiDPI
// display the renderer has more pixels than the window has coordinates.
std::int64_t toOutput(int windowCoordinate, int outputSize, int windowSize) {
  if (windowSize <= 0) return windowCoordinate;
  return std::int64_t{windowCoordinate} * outputSize / windowSize;
}

// The largest whole multiple of the picture that fits in firstWindowShare of the usable area
// of the window's display; at least 1.
int firstScale(int width, int height) {
  SDL_Rect usable{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  const auto fits = [&](int scale) {
    return width * scale <= usable.w * firstWindowShare &&
           height * scale <= usable.h * firstWindowShare;
  };
  int scale = 1;
  while (scale < largestScale && fits(scale + 1))
    ++scale;
  return scale;
}

// With no display named in the environment there is nothing to show a window on. SDL is not
// asked then: its Wayland attempt would print a line of its own before squish's.
bool namesADisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SDL_VIDEODRIVER"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

// The character SDL gives no text for but the key buffer expects: Escape, Enter, Backspace and
// Tab as 27, 13, 8 and 9; 0 for any other key.
std::int32_t controlCharacterOf(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_ESCAPE:
      return 27;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return 13;
    case SDL_SCANCODE_BACKSPACE:
      return 8;
    case SDL_SCANCODE_TAB:
      return 9;
    default:
      return 0;
  }
}

bool isKeypadDigitOrPoint(SDL_Scancode scancode) {
  return (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) ||
         scancode == SDL_SCANCODE_KP_PERIOD;
}

// Whether the key types a character of its own: a printable key, or a keypad digit with
// Num Lock on (which then is no cursor key).
bool producesCharacter(const SDL_Keysym& keysym) {
  if (keysym.sym >= 0x20 && keysym.sym < 0x7F) return true;
  return isKeypadDigitOrPoint(keysym.scancode) && (keysym.mod & KMOD_NUM) != 0;
}

std::int32_t modifiersOf(Uint16 mod) {
  std::int32_t modifiers = 0;
  if (mod & KMOD_SHIFT) modifiers |= shiftHeld;
  if (mod & KMOD_CTRL) modifiers |= ctrlHeld;
  if (mod & KMOD_ALT) modifiers |= altHeld;
  return modifiers;
}

std::int32_t buttonBitOf(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 4;
    default:
      return 0;
  }
}

// SDL falls back to drivers that show nothing when no display can be reached; a window nobody
// can see counts as none, unless the user asked for such a driver.
double secondsOf(std::chrono::steady_clock::time_point time) {
  return std::chrono::duration<double>(time.time_since_epoch()).count();
}

// Whether the renderer is OpenGL drawn by the processor (Mesa's llvmpipe or softpipe).
bool rasterisesInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || info.name == nullptr) return false;
  const std::string_view name(info.name);
  if (name != "opengl" && name != "opengles2") return false;
  using GetString = const unsigned char* (*)(unsigned int);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned int glRenderer = 0x1F01;
  const unsigned char* text = getString != nullptr ? getString(glRenderer) : nullptr;
  if (text == nullptr) return false;
  const std::string_view gl(reinterpret_cast<const char*>(text));
  return gl.find("llvmpipe") != std::string_view::npos ||
         gl.find("softpipe") != std::string_view::npos ||
         gl.find("Software Rasterizer") != std::string_view::npos;
}

bool showsOnADisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::getenv("SDL_VIDEODRIVER") != nullptr) return true;
  const std::string_view name(driver);
  if (name != "offscreen" && name != "dummy") return true;
  SDL_SetError("no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY works)");
  return false;
}

// The window, its renderer and the streaming texture the picture is uploaded into. Lives on
// the presenter thread only.
class SdlWindow : public PassBackend {
 public:
  SdlWindow(int width, int height, int scale) : width_(width), height_(height), scale_(scale) {}
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;
  ~SdlWindow() override {
    if (staging_) SDL_FreeSurface(staging_);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
  }

  // Makes the window; false, with SDL's reason in whyNot, when it cannot.
  bool open(const std::string& title, std::string& whyNot) {
    const int scale = scale_ > 0 ? std::min(scale_, largestScale) : firstScale(width_, height_);
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               width_ * scale, height_ * scale,
                               SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window_) {
      SDL_SetWindowMinimumSize(window_, width_, height_);
      // Presenting waits for the display's refresh where the driver offers it: no tearing.
      renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    }
    if (renderer_ && rasterisesInSoftware(renderer_)) {
      SDL_DestroyRenderer(renderer_);
      renderer_ = nullptr;
      return openWindowSurface(whyNot);
    }
    if (window_ && !renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_) {
      texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                   width_, height_);
    }
    if (!texture_) {
      whyNot = SDL_GetError();
      return false;
    }
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    SDL_RaiseWindow(window_);
    return true;
  }

  // Without a graphics processor (a software OpenGL, as on a virtual display) drawing the
  // picture as a textured rectangle costs several milliseconds a picture; copying the changed
  // band straight into the window's own pixels costs a fraction of that. Such a window offers
  // no vsync either way.
  bool openWindowSurface(std::string& whyNot) {
    // The window's pixels are to go to the display as they are, not through OpenGL again.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    staging_ = SDL_CreateRGBSurfaceWithFormat(0, width_, height_, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!staging_ || !SDL_GetWindowSurface(window_)) {
      whyNot = SDL_GetError();
      return false;
    }
    SDL_RaiseWindow(window_);
    return true;
  }

  PictureRows beginRows(std::int32_t first, std::int32_t last) override {
    if (staging_) {
      band_ = {0, first, width_, last - first + 1};
      const std::int32_t pitch = staging_->pitch / 4;
      const auto words = static_cast<std::size_t>(pitch);
      auto* row = static_cast<std::uint32_t*>(staging_->pixels) + words * first;
      return {{row, words * static_cast<std::size_t>(band_.h)}, pitch};
    }
    const SDL_Rect band{0, first, width_, last - first + 1};
    void* pixels = nullptr;
    int pitchBytes = 0;
    if (SDL_LockTexture(texture_, &band, &pixels, &pitchBytes) != 0 || pitchBytes < 4 * width_) {
      return {};
    }
    const std::int32_t pitch = pitchBytes / 4;
    const std::size_t words =
        static_cast<std::size_t>(band.h - 1) * static_cast<std::size_t>(pitch) + width_;
    return {{static_cast<std::uint32_t*>(pixels), words}, pitch};
  }

  void finishRows(std::int32_t, std::int32_t, bool) override {
    if (texture_) SDL_UnlockTexture(texture_);
  }

  void refreshKeyStates(std::array<std::uint8_t, 128>& keyStates) override {
    int count = 0;
    const Uint8* keyboard = SDL_GetKeyboardState(&count);
    setOneKeyStates(keyboard, count, keyStates);
  }

  bool nextMessage(const InputState&, WindowMessage& message) override {
    SDL_Event event;
    while (pendingRead_ == pendingCount_) {
      pendingRead_ = pendingCount_ = 0;
      if (!SDL_PollEvent(&event)) return false;
      translateEvent(event);
    }
    message = pending_[pendingRead_++];
    return true;
  }

  // Draws the texture into the window, scaled by the largest whole multiple that fits and
  // black around it.
  void presentPicture() {
    if (staging_) {
      presentOnWindowSurface();
      return;
    }
    const PictureLayout layout = currentLayout();
    const SDL_Rect target{layout.x, layout.y, width_ * layout.scale, height_ * layout.scale};
    // A picture that fills the output leaves no border to clear.
    if (layout.x != 0 || layout.y != 0 || target.w != layout.outputWidth ||
        target.h != layout.outputHeight) {
      SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
      SDL_RenderClear(renderer_);
    }
    SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    SDL_RenderPresent(renderer_);
  }

 private:
  // Copies the band just converted onto the window's pixels, scaled, and shows only it; the
  // whole picture and black borders when the window's size changed since the last time.
  void presentOnWindowSurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return;
    const PictureLayout layout = fitPicture(surface->w, surface->h, width_, height_);
    const bool moved = layout.x != shownLayout_.x || layout.y != shownLayout_.y ||
                       layout.scale != shownLayout_.scale ||
                       layout.outputWidth != shownLayout_.outputWidth ||
                       layout.outputHeight != shownLayout_.outputHeight;
    SDL_Rect source = band_;
    if (moved) {
      SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
      source = {0, 0, width_, height_};
    }
    SDL_Rect target{layout.x + source.x * layout.scale, layout.y + source.y * layout.scale,
                    source.w * layout.scale, source.h * layout.scale};
    const SDL_Rect shown = target;
    if (layout.scale == 1) {
      SDL_BlitSurface(staging_, &source, surface, &target);
    } else {
      SDL_BlitScaled(staging_, &source, surface, &target);
    }
    if (moved) {
      SDL_UpdateWindowSurface(window_);
    } else {
      SDL_UpdateWindowSurfaceRects(window_, &shown, 1);
    }
    shownLayout_ = layout;
  }

  // Where the picture sits in the renderer's output. The picture is drawn with it and the
  // pointer mapped back through it, so what is under the pointer is what is drawn there.
  PictureLayout currentLayout() {
    int outputWidth = width_;
    int outputHeight = height_;
    outputSize(outputWidth, outputHeight);
    return fitPicture(outputWidth, outputHeight, width_, height_);
  }

  // The size in pixels the picture is placed in: the renderer's output, or the window's own
  // pixels when there is no renderer.
  void outputSize(int& outputWidth, int& outputHeight) {
    if (renderer_) {
      SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    } else {
      SDL_GetWindowSize(window_, &outputWidth, &outputHeight);
    }
  }

  void push(const WindowMessage& message) {
    if (pendingCount_ < pending_.size()) pending_[pendingCount_++] = message;
  }

  void pushPointer(int windowX, int windowY) {
    int windowWidth = width_;
    int windowHeight = height_;
    int outputWidth = width_;
    int outputHeight = height_;
    SDL_GetWindowSize(window_, &windowWidth, &windowHeight);
    outputSize(outputWidth, outputHeight);
    const PictureLayout layout = fitPicture(outputWidth, outputHeight, width_, height_);
    push({MessageKind::pointerMove,
          toPicture(toOutput(windowX, outputWidth, windowWidth), layout.x, layout.scale),
          toPicture(toOutput(windowY, outputHeight, windowHeight), layout.y, layout.scale)});
  }

  // Where the pointer really is once the window reports it left: X11 also reports a leave
  // when another client briefly grabs the pointer over the window.
  void pushGlobalPointer() {
    int pointerX = 0;
    int pointerY = 0;
    int windowX = 0;
    int windowY = 0;
    SDL_GetGlobalMouseState(&pointerX, &pointerY);
    SDL_GetWindowPosition(window_, &windowX, &windowY);
    pushPointer(pointerX - windowX, pointerY - windowY);
  }

  // Full screen is the window itself made borderless and as large as its display, rather than
  // the window system's full-screen state: without a window manager that state is never
  // granted, yet SDL would draw as if it were, off the window's real area. A moved and resized
  // window is the same on every window system, so the size SDL reports is the one shown.
  void toggleFullScreen() {
    if (!fullScreen_) {
      SDL_Rect bounds{0, 0, 0, 0};
      const int display = SDL_GetWindowDisplayIndex(window_);
      if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0) return;
      SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
      SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowPosition(window_, bounds.x, bounds.y);
      SDL_SetWindowSize(window_, bounds.w, bounds.h);
      SDL_RaiseWindow(window_);
    } else {
      SDL_SetWindowBordered(window_, SDL_TRUE);
      SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
      SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
    }
    fullScreen_ = !fullScreen_;
    push({MessageKind::fullScreen, fullScreen_ ? 1 : 0});
  }

  void translateKeyDown(const SDL_KeyboardEvent& key) {
    const SDL_Scancode scancode = key.keysym.scancode;
    const std::int32_t modifiers = modifiersOf(key.keysym.mod);
    if ((modifiers & altHeld) && controlCharacterOf(scancode) == 13) {
      if (!key.repeat) toggleFullScreen();
      return;
    }
    const SetOneKey setOne = setOneKeyFromSdl(scancode);
    if (setOne.scanCode == 0) return;
    push({MessageKind::keyDown, setOne.scanCode, 0, setOne.extended, modifiers,
          producesCharacter(key.keysym), 1});
    const std::int32_t character = controlCharacterOf(scancode);
    if (character != 0 && !(modifiers & (ctrlHeld | altHeld))) {
      push({MessageKind::character, character});
    }
  }

  void translateText(const char* text) {
    for (const char byte : codePage437FromUtf8(text)) {
      push({MessageKind::character, static_cast<unsigned char>(byte)});
    }
  }

  void translateWindowEvent(const SDL_WindowEvent& window) {
    switch (window.event) {
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        push({MessageKind::focusIn});
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        push({MessageKind::focusOut});
        break;
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
      case SDL_WINDOWEVENT_RESTORED:
        push({MessageKind::repaint});
        break;
      case SDL_WINDOWEVENT_LEAVE:
        pushGlobalPointer();
        break;
      case SDL_WINDOWEVENT_CLOSE:
        push({MessageKind::close});
        break;
      default:
        break;
    }
  }

  void translateEvent(const SDL_Event& event) {
    switch (event.type) {
      case SDL_KEYDOWN:
        translateKeyDown(event.key);
        break;
      case SDL_KEYUP: {
        const SetOneKey setOne = setOneKeyFromSdl(event.key.keysym.scancode);
        if (setOne.scanCode != 0) push({MessageKind::keyUp, setOne.scanCode, 0, setOne.extended});
        break;
      }
      case SDL_TEXTINPUT:
        translateText(event.text.text);
        break;
      case SDL_MOUSEMOTION:
        pushPointer(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        pushPointer(event.button.x, event.button.y);
        const MessageKind kind =
            event.type == SDL_MOUSEBUTTONDOWN ? MessageKind::buttonDown : MessageKind::buttonUp;
        push({kind, buttonBitOf(event.button.button)});
        break;
      }
      case SDL_MOUSEWHEEL: {
        const bool flipped = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED;
        const std::int32_t delta = flipped ? -event.wheel.y : event.wheel.y;
        if (delta != 0) push({MessageKind::wheel, delta});
        break;
      }
      case SDL_WINDOWEVENT:
        translateWindowEvent(event.window);
        break;
      default:
        // SDL_QUIT only follows the window's own close event, already delivered as the key.
        break;
    }
  }

  int width_;
  int height_;
  int scale_;  // the first window's multiple of the picture; 0 chooses
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  // Without a renderer: the picture as window colours, the band last converted into it, and
  // where the picture was last put on the window's pixels.
  SDL_Surface* staging_ = nullptr;
  SDL_Rect band_{0, 0, 0, 0};
  PictureLayout shownLayout_;
  bool fullScreen_ = false;
  SDL_Rect windowed_{0, 0, 0, 0};  // where the window was before it went full screen
  // The messages one SDL event makes (a text event carries up to 31 characters).
  std::array<WindowMessage, 32> pending_{};
  std::size_t pendingRead_ = 0;
  std::size_t pendingCount_ = 0;
};

}  // namespace

SdlPresenter::~SdlPresenter() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

bool SdlPresenter::start(Screen& screen, std::string& whyNot) {
  if (thread_.joinable()) stop(screen);
  if (screen.width <= 0 || screen.height <= 0 || screen.width > largestSide ||
      screen.height > largestSide) {
    whyNot = "the picture size is out of range";
    return false;
  }
  opening_ = Opening::waiting;
  openingError_.clear();
  stopping_ = false;
  thread_ = std::thread(&SdlPresenter::present, this, std::ref(screen), screen.title, screen.width,
                        screen.height);
  std::unique_lock lock(openingMutex_);
  openingChanged_.wait(lock, [this] { return opening_ != Opening::waiting; });
  if (opening_ == Opening::opened) return true;
  whyNot = openingError_;
  lock.unlock();
  thread_.join();
  return false;
}

void SdlPresenter::stop(Screen&) {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

double SdlPresenter::clockSeconds() {
  return secondsOf(std::chrono::steady_clock::now());
}

void SdlPresenter::reportOpening(Opening result, std::string whyNot) {
  {
    std::lock_guard lock(openingMutex_);
    opening_ = result;
    openingError_ = std::move(whyNot);
  }
  openingChanged_.notify_all();
}

// The presenter thread: makes the window, reports, then runs a pass every 10 ms on a fixed
// schedule and shows what it uploaded, outside the screen's lock. Each pass also tells the
// program when the next one comes, so passes of the frame loop whose picture that one would
// not show can leave it undrawn.
void SdlPresenter::present(Screen& screen, std::string title, int width, int height) {
  if (!namesADisplay()) {
    reportOpening(Opening::failed,
                  "no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    return;
  }
  // SDL would otherwise take SIGINT and SIGTERM from the program.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_WINDOWS_NO_CLOSE_ON_ALT_F4, "1");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || !showsOnADisplay()) {
    reportOpening(Opening::failed, SDL_GetError());
    SDL_Quit();
    return;
  }
  {
    SdlWindow window(width, height, initialScale_);
    std::string whyNot;
    if (!window.open(title, whyNot)) {
      reportOpening(Opening::failed, whyNot);
    } else {
      reportOpening(Opening::opened, {});
      SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
      PresenterPass pass;
      auto nextPass = std::chrono::steady_clock::now();
      while (!stopping_) {
        // A late pass moves the schedule rather than running passes back to back.
        const auto now = std::chrono::steady_clock::now();
        nextPass = nextPass + passInterval < now ? now + passInterval : nextPass + passInterval;
        bool shown = false;
        {
          ScreenLock lock(screen.screenLock);
          shown = runPresenterPass(screen, pass, window).shown;
          screen.nextPresentation = secondsOf(nextPass);
        }
        if (shown) window.presentPicture();
        std::this_thread::sleep_until(nextPass);
      }
    }
  }
  SDL_Quit();
}

}  // namespace squish::display
