#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/dump_model.h"
#include "analysis/expression.h"

namespace kq {

// What of an analysis (derived channels and a filter) does not fit a drive.
struct AnalysisProblems {
  std::vector<std::string> channels;  // a mistake for each channel left out
  std::string filter;                 // the filter's mistake; empty when it was applied
  bool empty() const { return channels.empty() && filter.empty(); }
};

// One dump as the chart analyses it: its numeric model (decoded columns, then
// the derived channels that fit it), the records the filter keeps, and what of
// the analysis does not fit it.
struct ChartDrive {
  std::string path;   // its file (UTF-8); empty for a download not saved
  std::string label;  // what it is called where it has no file (a trip of a car)
  DumpModel model;
  std::vector<char> kept;  // by position; empty keeps all
  AnalysisProblems problems;
};

// Reads and decodes a dump file into a drive (without records when the dump
// has none). Throws FileError or ConversionError, their what() for the user.
ChartDrive loadChartDrive(const std::string& path, char decimalSeparator);

// The channels and the filter over a drive's decoded columns: the channels
// that fit are added after them (a later channel may name an earlier one that
// fits), the filter keeps the records it holds for where it fits (an empty
// filter keeps all); what does not fit is left out and said in the drive's
// problems. Returns the channels that fit, in order.
std::vector<ChannelDefinition> applyAnalysis(ChartDrive& drive, std::span<const ChannelDefinition> channels,
                                             const std::string& filter);

// The records a filter keeps in a model; empty for an empty filter. Throws
// ExpressionError.
std::vector<char> filterRecords(const DumpModel& model, const std::string& filter);

}  // namespace kq
