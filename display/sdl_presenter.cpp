// The SDL presenter. Sections: the window as a pass backend (picture upload, held keys, SDL
// events to window messages, full-screen switching); the presenter thread; start and stop.
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

// Where the picture sits in an output area: scaled by the largest whole multiple that fits
// (at least 1) and centred.
struct PictureLayout {
  int x = 0;
  int y = 0;
  int scale = 1;
};

PictureLayout fitPicture(int outputWidth, int outputHeight, int width, int height) {
  const int scale = std::max(1, std::min(outputWidth / width, outputHeight / height));
  return {(outputWidth - width * scale) / 2, (outputHeight - height * scale) / 2, scale};
}

// A window coordinate as a picture coordinate, rounding toward negative infinity so that
// points left of or above the picture stay negative.
int toPicture(int windowCoordinate, int offset, int scale) {
  const int relative = windowCoordinate - offset;
  return relative >= 0 ? relative / scale : -((-relative + scale - 1) / scale);
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
  SdlWindow(int width, int height) : width_(width), height_(height) {}
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;
  ~SdlWindow() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
  }

  // Makes the window; false, with SDL's reason in whyNot, when it cannot.
  bool open(const std::string& title, std::string& whyNot) {
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               width_, height_, SDL_WINDOW_SHOWN);
    if (window_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
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

  PictureRows beginRows(std::int32_t first, std::int32_t last) override {
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

  void finishRows(std::int32_t, std::int32_t, bool) override { SDL_UnlockTexture(texture_); }

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

  // Draws the texture into the window, black around it in full-screen display.
  void presentPicture() {
    int outputWidth = width_;
    int outputHeight = height_;
    SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    const PictureLayout layout = fitPicture(outputWidth, outputHeight, width_, height_);
    const SDL_Rect target{layout.x, layout.y, width_ * layout.scale, height_ * layout.scale};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    SDL_RenderPresent(renderer_);
  }

 private:
  void push(const WindowMessage& message) {
    if (pendingCount_ < pending_.size()) pending_[pendingCount_++] = message;
  }

  void pushPointer(int windowX, int windowY) {
    int windowWidth = width_;
    int windowHeight = height_;
    SDL_GetWindowSize(window_, &windowWidth, &windowHeight);
    const PictureLayout layout = fitPicture(windowWidth, windowHeight, width_, height_);
    push({MessageKind::pointerMove, toPicture(windowX, layout.x, layout.scale),
          toPicture(windowY, layout.y, layout.scale)});
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

  void toggleFullScreen() {
    const bool wanted = !fullScreen_;
    if (SDL_SetWindowFullscreen(window_, wanted ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
    fullScreen_ = wanted;
    push({MessageKind::fullScreen, wanted ? 1 : 0});
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
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  bool fullScreen_ = false;
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
  const auto sinceOrigin = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(sinceOrigin).count();
}

void SdlPresenter::reportOpening(Opening result, std::string whyNot) {
  {
    std::lock_guard lock(openingMutex_);
    opening_ = result;
    openingError_ = std::move(whyNot);
  }
  openingChanged_.notify_all();
}

// The presenter thread: makes the window, reports, then runs a pass about every 10 ms and
// shows what it uploaded, outside the screen's lock.
void SdlPresenter::present(Screen& screen, std::string title, int width, int height) {
  // SDL would otherwise take SIGINT and SIGTERM from the program.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_WINDOWS_NO_CLOSE_ON_ALT_F4, "1");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || !showsOnADisplay()) {
    reportOpening(Opening::failed, SDL_GetError());
    SDL_Quit();
    return;
  }
  {
    SdlWindow window(width, height);
    std::string whyNot;
    if (!window.open(title, whyNot)) {
      reportOpening(Opening::failed, whyNot);
    } else {
      reportOpening(Opening::opened, {});
      SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
      PresenterPass pass;
      while (!stopping_) {
        if (runPresenterPass(screen, pass, window).shown) window.presentPicture();
        std::this_thread::sleep_for(passInterval);
      }
    }
  }
  SDL_Quit();
}

}  // namespace squish::display
