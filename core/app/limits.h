#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/measurement.h"

namespace rz {

// What a good board measures for one quantity. A number outside [min, max]
// fails; inside it but outside [marginalMin, marginalMax] it passes with a
// warning (a board near the edge, worth a look). `equals` and `allowed` name
// the values that pass (numbers or texts); a value of the other kind fails.
struct Limit {
  std::optional<double> min;
  std::optional<double> max;
  std::optional<double> marginalMin;
  std::optional<double> marginalMax;
  std::vector<std::variant<double, std::string>> allowed;  // `equals` is one allowed value
};

// The limits by measurement name. A limit named "ext-com.errors" also holds
// every indexed measurement of that name ("ext-com.errors[7]").
using Limits = std::map<std::string, Limit>;

enum class Judgement { None, Pass, Marginal, Fail };

// A measurement with the limit it was held against (none when the profile
// sets no limit for it) and the judgement.
struct JudgedMeasurement {
  Measurement measurement;
  std::optional<Limit> limit;
  Judgement judgement = Judgement::None;
};

// The name without an index: "ext-com.errors[7]" gives "ext-com.errors".
std::string LimitName(const std::string& measurementName);

// The operation word a measurement or limit belongs to: "sdram.errors" gives
// "sdram".
std::string OperationOfName(const std::string& name);

const Limit* FindLimit(const Limits& limits, const std::string& measurementName);
JudgedMeasurement Judge(const Measurement& measurement, const Limits& limits);

// "pass", "marginal", "fail", "none".
const char* JudgementName(Judgement judgement);

// A value as reports show it: a number without needless decimals, a text as
// it is; with the unit after a number.
std::string ValueText(const Measurement& measurement);
// The limit in plain ASCII: "10..11", "<= 0", ">= 32", "= 3300",
// "one of Atmel, Intel"; the marginal range follows in brackets.
std::string LimitText(const Limit& limit);

}  // namespace rz
