// Reads scene files line by line: settings lines write the settings record, body lines call the
// builders at once, so a setting applies to every body after it. Contents:
//   line splitting and trimming, the keyword table, the body lines, the text and file entries.
#include "scene/scene_reader.h"

#include <algorithm>
#include <array>

#include "files/whole_file.h"
#include "scene/number_reader.h"

namespace squish::scene {
namespace {

using sim::SimSettings;
using sim::World;

// A line whose first character is one of these is a comment.
bool isCommentMark(char c) {
  return c == '\'' || c == '#' || c == ';';
}

// Only the space character is trimmed; tabs are part of a key or value.
std::string_view trimSpaces(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  if (last == std::string_view::npos) return {};
  const std::size_t first = text.find_first_not_of(' ');
  return text.substr(first, last + 1 - first);
}

char upperCaseAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether key, with its ASCII letters upper-cased, is keyword.
bool keyIs(std::string_view key, std::string_view keyword) {
  return key.size() == keyword.size() &&
         std::equal(key.begin(), key.end(), keyword.begin(),
                    [](char k, char w) { return upperCaseAscii(k) == w; });
}

float readFloat(std::string_view field) {
  return roundToFloat32(readNumber(field));
}

std::int32_t readInteger(std::string_view field) {
  return roundToInt32(readNumber(field));
}

constexpr std::int32_t boxFieldCount = 6;
constexpr std::int32_t triangleFieldCount = 5;
constexpr std::int32_t bitmapFieldCount = 7;

// Fields: x, y, columns, rows, colour, angle.
void buildBoxFromFields(World& world, const SimSettings& settings,
                        const std::vector<std::string_view>& f) {
  sim::buildBox(world, settings, readFloat(f[0]), readFloat(f[1]), readInteger(f[2]),
                readInteger(f[3]), readInteger(f[4]), readFloat(f[5]));
}

// Fields: x, y, size, colour, angle.
void buildTriangleFromFields(World& world, const SimSettings& settings,
                             const std::vector<std::string_view>& f) {
  sim::buildTriangle(world, settings, readFloat(f[0]), readFloat(f[1]), readInteger(f[2]),
                     readInteger(f[3]), readFloat(f[4]));
}

// Fields: file name (exactly as written), width, height, x, y, colour, angle.
void buildBitmapFromFields(World& world, const SimSettings& settings,
                           const std::vector<std::string_view>& f,
                           const sim::ImageFileLoader& loadImage) {
  sim::buildBitmapFromFile(world, settings, loadImage, std::string(f[0]), readInteger(f[1]),
                           readInteger(f[2]), readFloat(f[3]), readFloat(f[4]), readInteger(f[5]),
                           readFloat(f[6]));
}

enum class BodyKind : std::uint8_t { box, triangle, bitmap };

struct BodyKeyword {
  std::string_view keyword;
  std::int32_t fieldCount;
  BodyKind kind;
};

// Compared after the settings, in this order.
constexpr std::array<BodyKeyword, 3> bodyKeywords{{
    {"BOX", boxFieldCount, BodyKind::box},
    {"TRIANGLE", triangleFieldCount, BodyKind::triangle},
    {"BITMAP", bitmapFieldCount, BodyKind::bitmap},
}};

// Splits the value into `fields` and builds the body when it has all of them.
void buildBody(World& world, const SimSettings& settings, const BodyKeyword& body, SceneLine& line,
               std::vector<std::string_view>& fields, const sim::ImageFileLoader& loadImage) {
  fields = splitFields(line.value, body.fieldCount);
  line.keyword = body.keyword;
  line.fieldsWanted = body.fieldCount;
  line.fields = fields;
  if (static_cast<std::int64_t>(fields.size()) != body.fieldCount) {
    line.kind = LineKind::shortBody;
    return;
  }
  line.kind = LineKind::body;
  switch (body.kind) {
    case BodyKind::box:
      buildBoxFromFields(world, settings, fields);
      break;
    case BodyKind::triangle:
      buildTriangleFromFields(world, settings, fields);
      break;
    case BodyKind::bitmap:
      buildBitmapFromFields(world, settings, fields, loadImage);
      break;
  }
}

void applyStatement(World& world, SimSettings& settings, SceneLine& line,
                    std::vector<std::string_view>& fields, const sim::ImageFileLoader& loadImage) {
  line.kind = LineKind::setting;
  for (const sim::PhysicsSetting& setting : sim::physicsSettings) {
    if (keyIs(line.key, setting.keyword)) {
      line.keyword = setting.keyword;
      settings.*setting.field = readFloat(line.value);
      return;
    }
  }
  if (keyIs(line.key, "SHOWATOMS")) {
    line.keyword = "SHOWATOMS";
    settings.showAtoms = readInteger(line.value);
    return;
  }
  for (const BodyKeyword& body : bodyKeywords) {
    if (keyIs(line.key, body.keyword)) {
      buildBody(world, settings, body, line, fields, loadImage);
      return;
    }
  }
  line.kind = LineKind::unknownKey;
}

// Fills in what the line is and acts on it; `fields` holds a body line's fields for the observer.
void readSceneLine(World& world, SimSettings& settings, SceneLine& line,
                   std::vector<std::string_view>& fields, const sim::ImageFileLoader& loadImage) {
  if (line.text.empty()) {
    line.kind = LineKind::empty;
    return;
  }
  if (isCommentMark(line.text.front())) {
    line.kind = LineKind::comment;
    return;
  }
  const std::size_t equals = line.text.find('=');
  if (equals == std::string_view::npos) {
    line.kind = LineKind::noEquals;
    return;
  }
  line.key = trimSpaces(line.text.substr(0, equals));
  line.value = trimSpaces(line.text.substr(equals + 1));
  applyStatement(world, settings, line, fields, loadImage);
}

// The physics settings' keywords, then the others.
constexpr std::array<std::string_view, 15> keywords = [] {
  std::array<std::string_view, 15> all{};
  for (std::size_t i = 0; i < sim::physicsSettings.size(); ++i)
    all[i] = sim::physicsSettings[i].keyword;
  const std::array<std::string_view, 4> others{"SHOWATOMS", "BOX", "TRIANGLE", "BITMAP"};
  for (std::size_t i = 0; i < others.size(); ++i)
    all[sim::physicsSettings.size() + i] = others[i];
  return all;
}();

}  // namespace

std::span<const std::string_view> sceneKeywords() {
  return keywords;
}

std::vector<std::string_view> splitFields(std::string_view text, std::int32_t wanted) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (static_cast<std::int64_t>(fields.size()) < wanted) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(text.substr(start));
      break;
    }
    fields.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return fields;
}

void readSceneText(World& world, SimSettings& settings, std::string_view text,
                   const sim::ImageFileLoader& loadImage, const SceneLineObserver& observe) {
  std::vector<std::string_view> fields;
  std::int64_t number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lineFeed = text.find('\n', start);
    const std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    std::string_view lineText = text.substr(start, end - start);
    if (lineFeed != std::string_view::npos && !lineText.empty() && lineText.back() == '\r') {
      lineText.remove_suffix(1);
    }
    SceneLine line;
    line.number = ++number;
    line.text = lineText;
    readSceneLine(world, settings, line, fields, loadImage);
    if (observe) observe(line);
    start = end + 1;
  }
}

std::string readSceneFile(World& world, SimSettings& settings, const std::string& fileName,
                          const sim::ImageFileLoader& loadImage, const SceneLineObserver& observe) {
  const files::WholeFile file = files::readWholeFile(fileName);
  if (!file.ok()) return file.error;
  readSceneText(world, settings, file.bytes, loadImage, observe);
  return {};
}

}  // namespace squish::scene
