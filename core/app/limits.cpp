#include "app/limits.h"

#include <cmath>
#include <cstdio>

namespace rz {
namespace {

std::string NumberText(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  std::string text = buffer;
  while (text.size() > 1 && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string AllowedText(const std::variant<double, std::string>& value) {
  return std::holds_alternative<double>(value) ? NumberText(std::get<double>(value)) : std::get<std::string>(value);
}

std::string RangeText(const std::optional<double>& low, const std::optional<double>& high) {
  if (low && high) return *low == *high ? "= " + NumberText(*low) : NumberText(*low) + ".." + NumberText(*high);
  if (low) return ">= " + NumberText(*low);
  if (high) return "<= " + NumberText(*high);
  return "";
}

bool Allowed(const Measurement& measurement, const Limit& limit) {
  for (const auto& value : limit.allowed) {
    if (std::holds_alternative<double>(value) ? !measurement.IsText() && measurement.Number() == std::get<double>(value)
                                              : measurement.Text() == std::get<std::string>(value)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string LimitName(const std::string& measurementName) {
  const auto bracket = measurementName.find('[');
  return bracket == std::string::npos ? measurementName : measurementName.substr(0, bracket);
}

std::string OperationOfName(const std::string& name) { return name.substr(0, name.find('.')); }

const Limit* FindLimit(const Limits& limits, const std::string& measurementName) {
  const auto exact = limits.find(measurementName);
  if (exact != limits.end()) return &exact->second;
  const auto base = limits.find(LimitName(measurementName));
  return base != limits.end() ? &base->second : nullptr;
}

JudgedMeasurement Judge(const Measurement& measurement, const Limits& limits) {
  JudgedMeasurement judged{measurement, std::nullopt, Judgement::None};
  const Limit* limit = FindLimit(limits, measurement.name);
  if (limit == nullptr) return judged;
  judged.limit = *limit;
  if (!limit->allowed.empty() && !Allowed(measurement, *limit)) {
    judged.judgement = Judgement::Fail;
    return judged;
  }
  const bool ranged = limit->min || limit->max || limit->marginalMin || limit->marginalMax;
  if (ranged && measurement.IsText()) {
    judged.judgement = Judgement::Fail;
    return judged;
  }
  const double value = measurement.Number();
  if ((limit->min && value < *limit->min) || (limit->max && value > *limit->max) || std::isnan(value)) {
    judged.judgement = Judgement::Fail;
  } else if ((limit->marginalMin && value < *limit->marginalMin) ||
             (limit->marginalMax && value > *limit->marginalMax)) {
    judged.judgement = Judgement::Marginal;
  } else {
    judged.judgement = Judgement::Pass;
  }
  return judged;
}

const char* JudgementName(Judgement judgement) {
  switch (judgement) {
    case Judgement::Pass: return "pass";
    case Judgement::Marginal: return "marginal";
    case Judgement::Fail: return "fail";
    case Judgement::None: break;
  }
  return "none";
}

std::string ValueText(const Measurement& measurement) {
  if (measurement.IsText()) return measurement.Text();
  std::string text = NumberText(measurement.Number());
  if (!measurement.unit.empty()) text += " " + measurement.unit;
  return text;
}

std::string LimitText(const Limit& limit) {
  std::string text;
  if (!limit.allowed.empty()) {
    if (limit.allowed.size() == 1) {
      text = "= " + AllowedText(limit.allowed.front());
    } else {
      text = "one of ";
      for (std::size_t i = 0; i < limit.allowed.size(); ++i) text += (i > 0 ? ", " : "") + AllowedText(limit.allowed[i]);
    }
  }
  const std::string range = RangeText(limit.min, limit.max);
  if (!range.empty()) text += (text.empty() ? "" : ", ") + range;
  const std::string marginal = RangeText(limit.marginalMin, limit.marginalMax);
  if (!marginal.empty()) text += (text.empty() ? "" : " ") + std::string("(good ") + marginal + ")";
  return text;
}

}  // namespace rz
