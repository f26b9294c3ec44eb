// Any bytes as a formula over a few records of a type-6 drive, with a
// derived channel "B" that has no value in its first record: compiled against
// the titles as a list and through the model's index, evaluated, taken as a
// filter, added as a derived channel, and taken as a channel's name. Each
// path ends in a value per record or in a message naming a place in the text,
// and all agree. Any other exception escapes and is a finding, as is a broken
// invariant.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/dump_model.h"
#include "analysis/expression.h"
#include "dump/dump.h"
#include "fuzz/require.h"
#include "sim/memory.h"

namespace {

using kq::DumpModel;
using kq::Expression;
using kq::ExpressionError;
using kq::fuzz::require;

const DumpModel& fixedModel() {
  static const DumpModel model = [] {
    DumpModel built = kq::buildDumpModel(kq::Dump(kq::sim::syntheticDumpLines(6, 6)), '.');
    const kq::ChannelDefinition withGap[] = {{"B", "[Обороты двигателя@-1] / 1000"}};
    kq::addChannels(built, withGap);
    return built;
  }();
  return model;
}

int characterCount(std::string_view text) {
  int count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// Equal record by record, no value matching no value.
bool sameValues(const std::vector<long double>& a, const std::vector<long double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
  return true;
}

// What compiling and running a formula gave: a message, or values and kept records.
struct Outcome {
  std::string error;
  std::vector<long double> values;
  std::vector<char> kept;

  bool operator==(const Outcome& other) const {
    return error == other.error && kept == other.kept && sameValues(values, other.values);
  }
};

Outcome run(std::string_view text, bool throughIndex) {
  const DumpModel& model = fixedModel();
  Outcome outcome;
  try {
    const Expression expression = throughIndex ? Expression(text, model) : Expression(text, model.titles());
    for (const int column : expression.columns())
      require(column >= kq::kFrameColumns && column < model.columnCount(), "a reference names a parameter");
    outcome.values = expression.evaluate(model);
    outcome.kept = expression.keep(model);
  } catch (const ExpressionError& error) {
    const int longest = std::min(characterCount(text), Expression::kMaxLength) + 1;
    require(error.position() >= 1 && error.position() <= longest, "a mistake lies within the text");
    require(!error.problem().empty(), "a mistake says what is wrong");
    require(
        std::string(error.what()) == "позиция " + std::to_string(error.position()) + ": " + error.problem(),
        "a message is its position and problem");
    outcome.error = error.what();
    return outcome;
  }
  const std::size_t records = std::size_t(model.recordCount());
  require(outcome.values.size() == records && outcome.kept.size() == records, "one result a record");
  for (std::size_t i = 0; i < records; ++i) {
    const long double value = outcome.values[i];
    require(std::isnan(value) || kq::shownValue(value) == value, "a value is as its text shows it");
    require(bool(outcome.kept[i]) == (!std::isnan(value) && value != 0),
            "a filter keeps the non-zero values");
  }
  return outcome;
}

// The formula as a channel gives the values it gives alone, or its message.
void checkAsChannel(std::string_view text, const Outcome& alone) {
  DumpModel model = fixedModel();
  const kq::ChannelDefinition channel[] = {{"Новый", std::string(text)}};
  try {
    kq::addChannels(model, channel);
  } catch (const std::runtime_error& error) {
    require(!alone.error.empty(), "a channel fails only where its formula does");
    require(error.what() == "канал «Новый»: " + alone.error, "a channel's message is its formula's");
    return;
  }
  require(alone.error.empty(), "a formula that fails makes no channel");
  require(model.columnCount() == fixedModel().columnCount() + 1, "a channel adds one column");
  require(sameValues(model.values(model.columnCount() - 1), alone.values),
          "a channel holds its formula's values");
}

// The text as a channel's name: once taken, the name is found in brackets.
void checkAsName(std::string_view text) {
  DumpModel model = fixedModel();
  const kq::ChannelDefinition channel[] = {{std::string(text), "1"}};
  try {
    kq::addChannels(model, channel);
  } catch (const std::runtime_error&) {
    return;
  }
  require(model.columnOf(text) == model.columnCount() - 1, "a new channel is found by its name");
  const std::string reference = "[" + std::string(text) + "]";
  if (characterCount(reference) > Expression::kMaxLength) return;
  for (const long double value : Expression(reference, model).evaluate(model))
    require(value == 1, "a channel named in brackets gives its values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Outcome throughIndex = run(text, true);
  require(run(text, false) == throughIndex, "titles as a list and through the index agree");
  checkAsChannel(text, throughIndex);
  checkAsName(text);
  return 0;
}
