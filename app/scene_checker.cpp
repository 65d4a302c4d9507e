// The scene checker. The reader runs as in the program and tells an observer what each line
// did; the checker compares that with what the line seems to say. Sections:
//   wording (numbers, quoting, the nearest keyword), numbers in values and fields, bodies that
//   built nothing, one line, the summaries, the entry points.
#include "app/scene_checker.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "app/message_text.h"
#include "app/scene_image.h"
#include "display/image.h"
#include "scene/number_reader.h"
#include "scene/scene_reader.h"
#include "sim/builders.h"

namespace squish::app {
namespace {

// ---- Wording ----

// The shortest text that reads back as the same float: plain decimals in the everyday range
// (-0.0008 rather than -8e-04), the exponent form beyond it.
std::string floatText(float value) {
  const float magnitude = std::fabs(value);
  const bool plain = magnitude == 0.0f || (magnitude >= 1e-5f && magnitude < 1e7f);
  std::array<char, 64> buffer{};
  const std::to_chars_result result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                    plain ? std::chars_format::fixed : std::chars_format::scientific);
  return std::string(buffer.data(), result.ptr);
}

std::string doubleText(double value) {
  std::array<char, 32> buffer{};
  const std::to_chars_result result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string upperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Edits (insert, delete, replace) between two short texts.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t replace = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replace});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

// Keys longer than this are no misspelt keyword.
constexpr std::size_t longestSuggestedKey = 24;

// The keyword a misspelt key most likely meant: within two edits (one for keys of three
// letters or fewer), the first of the nearest in the reader's order.
std::optional<std::string_view> nearestKeyword(std::string_view key) {
  if (key.empty() || key.size() > longestSuggestedKey) return std::nullopt;
  const std::string upper = upperCased(key);
  const std::size_t allowed = upper.size() <= 3 ? 1 : 2;
  std::optional<std::string_view> best;
  std::size_t bestDistance = allowed + 1;
  for (const std::string_view keyword : scene::sceneKeywords()) {
    const std::size_t distance = editDistance(upper, keyword);
    if (distance < bestDistance) {
      best = keyword;
      bestDistance = distance;
    }
  }
  return best;
}

std::string_view trimTrailingSpaces(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

bool isBlank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool isCommentMark(char c) {
  return c == '\'' || c == '#' || c == ';';
}

// ---- The fields of the body lines ----

struct BodyFields {
  std::string_view keyword;
  std::array<std::string_view, 7> names;
  std::array<bool, 7> isInteger;
  bool firstIsFileName;
};

constexpr std::array<BodyFields, 3> bodyFields{{
    {"BOX",
     {"x", "y", "columns", "rows", "colour", "angle", ""},
     {false, false, true, true, true, false, false},
     false},
    {"TRIANGLE",
     {"x", "y", "size", "colour", "angle", "", ""},
     {false, false, true, true, false, false, false},
     false},
    {"BITMAP",
     {"file", "width", "height", "x", "y", "colour", "angle"},
     {false, true, true, false, false, true, false},
     true},
}};

const BodyFields& fieldsOfBody(std::string_view keyword) {
  for (const BodyFields& body : bodyFields) {
    if (body.keyword == keyword) return body;
  }
  return bodyFields.front();
}

std::string fieldList(const BodyFields& body, std::int32_t count) {
  std::string list;
  for (std::int32_t i = 0; i < count; ++i) {
    if (i > 0) list += ", ";
    list += body.names[static_cast<std::size_t>(i)];
  }
  return list;
}

// ---- Checking one file ----

// What the image loader saw for the current BITMAP line.
struct ImageSeen {
  bool asked = false;
  std::string fileName;
  SceneImageLoad load;
  std::int32_t fileWidth = 0;
  std::int32_t fileHeight = 0;
  std::int64_t nonzeroPixels = 0;
};

class FileChecker {
 public:
  FileChecker(sim::World& world, sim::SimSettings& settings, display::Screen& screen,
              std::ostream& out, const std::string& fileName)
      : world_(world), settings_(settings), screen_(screen), out_(out), fileName_(fileName) {}

  SceneTally check() {
    const sim::ImageFileLoader loader =
        [this](const std::string& name, std::int32_t width, std::int32_t height,
               std::vector<std::uint8_t>& image) { loadImage(name, width, height, image); };
    atomsBefore_ = world_.atomCount();
    bondsBefore_ = world_.bondCount();
    const std::string error =
        scene::readSceneFile(world_, settings_, fileName_, loader,
                             [this](const scene::SceneLine& line) { checkLine(line); });
    if (!error.empty()) {
      out_ << fileName_ << ": cannot read scene file: " << error << "\n";
      ++tally_.problems;
    }
    return tally_;
  }

 private:
  void loadImage(const std::string& name, std::int32_t width, std::int32_t height,
                 std::vector<std::uint8_t>& image) {
    image_.asked = true;
    image_.fileName = name;
    image_.load = loadSceneImage(screen_, world_.faults(), name, width, height, image);
    image_.fileWidth = display::imageWidth(image);
    image_.fileHeight = display::imageHeight(image);
    if (image.size() > sim::bitmapHeaderBytes) {
      image_.nonzeroPixels = std::count_if(image.begin() + sim::bitmapHeaderBytes, image.end(),
                                           [](std::uint8_t pixel) { return pixel != 0; });
    }
  }

  void tell(const scene::SceneLine& line, const std::string& message) {
    out_ << fileName_ << ":" << line.number << ": " << message << "\n";
    ++tally_.problems;
  }

  // A value or field read as a number: one that is none reads as 0, text after one is ignored,
  // and an integer field rounds its fraction away.
  void checkNumber(const scene::SceneLine& line, const std::string& what, std::string_view text,
                   bool isInteger) {
    const scene::NumberReading reading = scene::scanNumber(text);
    if (!reading.found) {
      if (isBlank(text)) {
        tell(line, what + " is empty: it reads as 0");
      } else {
        tell(line, what + " " + quoted(text) + " is not a number: it reads as 0");
      }
      return;
    }
    const std::string_view rest = trimTrailingSpaces(text.substr(reading.end));
    if (!rest.empty()) {
      const std::size_t start = text.find_first_not_of(' ');
      tell(line, what + " " + quoted(text.substr(start, reading.end - start)) + " is followed by " +
                     quoted(rest) + ", which is ignored");
    }
    if (isInteger && std::isfinite(reading.value) && reading.value != std::trunc(reading.value)) {
      tell(line, what + " " + doubleText(reading.value) + " is rounded to " +
                     std::to_string(scene::roundToInt32(reading.value)));
    }
  }

  void checkSetting(const scene::SceneLine& line) {
    const std::string keyword(line.keyword);
    checkNumber(line, keyword, line.value, keyword == "SHOWATOMS");
    for (const sim::PhysicsSetting& setting : sim::physicsSettings) {
      if (setting.keyword != line.keyword) continue;
      const float value = settings_.*setting.field;
      if (!std::isfinite(value)) {
        tell(line, keyword + " reads as " + floatText(value) +
                       ", too large for a setting: the step cannot work with it");
      } else if (keyword == "ATOMSPACE" && value == 0.0f) {
        tell(line,
             "ATOMSPACE 0 puts every atom of a body on one point, and bonds measure their "
             "stretch against it: the step cannot work with it");
      }
    }
  }

  void checkBodyFields(const scene::SceneLine& line, const BodyFields& body) {
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
      if (i == 0 && body.firstIsFileName) continue;
      checkNumber(line, std::string(body.keyword) + " " + std::string(body.names[i]),
                  line.fields[i], body.isInteger[i]);
    }
    // The last field ends at the next comma; whatever follows is never read.
    const std::string_view last = line.fields.back();
    const auto usedEnd = static_cast<std::size_t>(last.data() + last.size() - line.value.data());
    if (usedEnd < line.value.size()) {
      tell(line, std::string(body.keyword) + " takes " + std::to_string(line.fieldsWanted) +
                     " fields: " + quoted(line.value.substr(usedEnd)) + " after them is ignored");
    }
  }

  void checkImage(const scene::SceneLine& line, std::int32_t width, std::int32_t height) {
    const std::string what = "BITMAP image " + quotedName(image_.fileName);
    const SceneImageLoad& load = image_.load;
    switch (load.problem) {
      case SceneImageProblem::unreadable: {
        std::string message = what + " cannot be read: " + load.fileError;
        if (!image_.fileName.empty() &&
            (image_.fileName.front() == ' ' || image_.fileName.back() == ' ')) {
          message += " (the name has spaces at an end, and they are part of it)";
        }
        tell(line, message);
        return;
      }
      case SceneImageProblem::noMemory:
        tell(line, "out of memory: " + what + " not loaded");
        return;
      case SceneImageProblem::notLoaded: {
        const std::int32_t bits = load.bitsPerPixel;
        if (bits == 0) {
          tell(line, what + " is not a BMP file");
        } else if (bits != 1 && bits != 4 && bits != 8) {
          tell(line, what + " has " + std::to_string(bits) +
                         " bits per pixel: only 1, 4 and 8-bit BMP images can be loaded");
        } else {
          tell(line, what + " is damaged or cut short: only the rows read are built");
        }
        return;
      }
      case SceneImageProblem::none:
        break;
    }
    if (image_.fileWidth != width || image_.fileHeight != height) {
      tell(line, what + " is " + std::to_string(image_.fileWidth) + " x " +
                     std::to_string(image_.fileHeight) + " pixels, but the line declares " +
                     std::to_string(width) + " x " + std::to_string(height));
    }
  }

  // Why a body line with all its fields made no atom.
  void tellNothingBuilt(const scene::SceneLine& line, const BodyFields& body) {
    const std::string keyword(body.keyword);
    const auto integerField = [&](std::size_t i) {
      return scene::roundToInt32(scene::readNumber(line.fields[i]));
    };
    sim::BodySize size;
    if (keyword == "BOX") {
      const std::int32_t columns = integerField(2);
      const std::int32_t rows = integerField(3);
      if (columns < 1 || rows < 1) {
        tell(line, "BOX of " + std::to_string(columns) + " columns and " + std::to_string(rows) +
                       " rows builds nothing");
        return;
      }
      size = sim::boxSize(columns, rows);
    } else if (keyword == "TRIANGLE") {
      const std::int32_t n = integerField(2);
      if (n < 1) {
        tell(line, "TRIANGLE of size " + std::to_string(n) + " builds nothing");
        return;
      }
      size = sim::triangleSize(n);
    } else {
      const std::int32_t width = integerField(1);
      const std::int32_t height = integerField(2);
      const std::string dimensions = std::to_string(width) + " x " + std::to_string(height);
      if (width < 1 || height < 1) {
        tell(line, "BITMAP of " + dimensions + " pixels builds nothing");
        return;
      }
      if (std::int64_t{width} * height > sim::maxBitmapPixels) {
        tell(line, "BITMAP of " + dimensions + " pixels is refused: an image may have at most " +
                       std::to_string(sim::maxBitmapPixels) + " pixels");
        return;
      }
      // A problem with the image has been told already.
      if (image_.load.problem != SceneImageProblem::none) return;
      if (image_.nonzeroPixels == 0) {
        tell(line, "BITMAP image " + quotedName(image_.fileName) +
                       " has no nonzero pixel: it builds nothing");
        return;
      }
      size.atoms = image_.nonzeroPixels;
    }
    const std::string atoms = std::to_string(size.atoms) + " atoms";
    if (std::int64_t{world_.atomCount()} + size.atoms > sim::maxAtoms) {
      tell(line, keyword + " of " + atoms + " is refused: the world holds at most " +
                     std::to_string(sim::maxAtoms) + " atoms");
    } else if (size.bonds > 0 && std::int64_t{world_.bondCount()} + size.bonds > sim::maxBonds) {
      tell(line, keyword + " of " + std::to_string(size.bonds) +
                     " bonds is refused: the world holds at most " + std::to_string(sim::maxBonds) +
                     " bonds");
    } else if (keyword == "BITMAP") {
      tell(line, "BITMAP of " + atoms + " is refused: its bonds would take the world past " +
                     std::to_string(sim::maxBonds) + " bonds, or memory ran short");
    } else {
      tell(line, "out of memory: " + keyword + " of " + atoms + " not built");
    }
  }

  void checkBody(const scene::SceneLine& line, std::int32_t atomsBefore, std::int32_t bondsBefore) {
    const BodyFields& body = fieldsOfBody(line.keyword);
    checkBodyFields(line, body);
    if (body.firstIsFileName && image_.asked) {
      checkImage(line, scene::roundToInt32(scene::readNumber(line.fields[1])),
                 scene::roundToInt32(scene::readNumber(line.fields[2])));
    }
    const std::int64_t atoms = std::int64_t{world_.atomCount()} - atomsBefore;
    if (atoms == 0) {
      tellNothingBuilt(line, body);
      return;
    }
    ++tally_.bodies;
    tally_.atoms += atoms;
    tally_.bonds += std::int64_t{world_.bondCount()} - bondsBefore;
  }

  void checkLine(const scene::SceneLine& line) {
    const std::int32_t atomsBefore = atomsBefore_;
    const std::int32_t bondsBefore = bondsBefore_;
    atomsBefore_ = world_.atomCount();
    bondsBefore_ = world_.bondCount();
    switch (line.kind) {
      case scene::LineKind::empty:
      case scene::LineKind::comment:
        break;
      case scene::LineKind::noEquals: {
        const std::size_t first = line.text.find_first_not_of(" \t");
        // Blank, or a comment moved in from the first column: both do nothing, as they seem to.
        if (first == std::string_view::npos || isCommentMark(line.text[first])) break;
        tell(line, "line has no '=': it is skipped");
        break;
      }
      case scene::LineKind::unknownKey: {
        if (line.key.empty()) {
          tell(line, "no key before '=': the line is skipped");
          break;
        }
        const std::size_t first = line.key.find_first_not_of('\t');
        if (first != std::string_view::npos && isCommentMark(line.key[first])) {
          tell(line, "comments start only in the first column: the line is skipped");
          break;
        }
        std::string message = "unknown key " + quoted(line.key) + ": the line is skipped";
        if (const std::optional<std::string_view> keyword = nearestKeyword(line.key)) {
          message += " (did you mean " + std::string(*keyword) + "?)";
        }
        tell(line, message);
        break;
      }
      case scene::LineKind::setting:
        checkSetting(line);
        break;
      case scene::LineKind::shortBody: {
        const BodyFields& body = fieldsOfBody(line.keyword);
        tell(line, std::string(line.keyword) + " needs " + std::to_string(line.fieldsWanted) +
                       " fields (" + fieldList(body, line.fieldsWanted) + "), found " +
                       std::to_string(line.fields.size()) + ": nothing is built");
        break;
      }
      case scene::LineKind::body:
        checkBody(line, atomsBefore, bondsBefore);
        break;
    }
    image_ = ImageSeen{};
  }

  sim::World& world_;
  sim::SimSettings& settings_;
  display::Screen& screen_;
  std::ostream& out_;
  const std::string& fileName_;
  SceneTally tally_;
  ImageSeen image_;
  std::int32_t atomsBefore_ = 0;  // the world's counts before the current line
  std::int32_t bondsBefore_ = 0;
};

// ---- Summaries ----

std::string plural(std::int64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

void writeSummary(std::ostream& out, std::string_view name, const SceneTally& tally,
                  const sim::SimSettings& settings) {
  out << name << ": " << plural(tally.problems, "problem", "problems") << ", "
      << plural(tally.bodies, "body", "bodies") << ", " << plural(tally.atoms, "atom", "atoms")
      << ", " << plural(tally.bonds, "bond", "bonds") << "\n  settings:";
  for (const sim::PhysicsSetting& setting : sim::physicsSettings) {
    out << " " << setting.keyword << "=" << floatText(settings.*setting.field);
  }
  out << " SHOWATOMS=" << settings.showAtoms << "\n";
}

}  // namespace

SceneTally checkSceneFiles(std::span<const std::string> files, sim::World& world,
                           sim::SimSettings& settings, display::Screen& screen, std::ostream& out) {
  SceneTally total;
  std::int64_t fileCount = 0;
  for (const std::string& fileName : files) {
    if (fileName.empty()) break;
    const SceneTally tally = FileChecker(world, settings, screen, out, fileName).check();
    writeSummary(out, fileName, tally, settings);
    ++fileCount;
    total.problems += tally.problems;
    total.bodies += tally.bodies;
    total.atoms += tally.atoms;
    total.bonds += tally.bonds;
  }
  writeSummary(out, "total of " + plural(fileCount, "file", "files"), total, settings);
  return total;
}

int checkScenes(std::span<const std::string> files, std::ostream& out) {
  if (files.empty() || files.front().empty()) {
    out << "usage: squish --check SCENE...\n";
    return 2;
  }
  display::Screen screen;
  if (!display::openScreen(screen, 18, 8, 2, 0, 0)) {
    out << "squish: " << screen.lastErrorText << "\n";
    return 1;
  }
  sim::World world;
  sim::SimSettings settings;
  const SceneTally total = checkSceneFiles(files, world, settings, screen, out);
  display::closeScreen(screen);
  return total.problems == 0 ? 0 : 1;
}

}  // namespace squish::app
