#include "production/profile.h"

#include <nlohmann/json.hpp>

#include "app/host_system.h"
#include "operations/operation_table.h"

namespace rz {
namespace {

using nlohmann::json;

constexpr std::uint64_t kLargestProfile = 1u << 20;

std::variant<double, std::string> AllowedValue(const json& value, const std::string& where) {
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) return value.get<std::string>();
  throw std::runtime_error(where + ": a number or a text is expected");
}

std::optional<double> OptionalNumber(const json& object, const char* key, const std::string& where) {
  if (!object.contains(key)) return std::nullopt;
  if (!object[key].is_number()) throw std::runtime_error(where + "." + key + ": a number is expected");
  return object[key].get<double>();
}

Limit ParseLimit(const json& object, const std::string& where) {
  if (!object.is_object()) throw std::runtime_error(where + ": an object is expected");
  for (const auto& [key, value] : object.items()) {
    (void)value;
    if (key != "min" && key != "max" && key != "marginalMin" && key != "marginalMax" && key != "equals" &&
        key != "allowed") {
      throw std::runtime_error(where + ": unknown key '" + key + "'");
    }
  }
  Limit limit;
  limit.min = OptionalNumber(object, "min", where);
  limit.max = OptionalNumber(object, "max", where);
  limit.marginalMin = OptionalNumber(object, "marginalMin", where);
  limit.marginalMax = OptionalNumber(object, "marginalMax", where);
  if (object.contains("equals")) limit.allowed.push_back(AllowedValue(object["equals"], where + ".equals"));
  if (object.contains("allowed")) {
    if (!object["allowed"].is_array() || object["allowed"].empty()) {
      throw std::runtime_error(where + ".allowed: a non-empty list is expected");
    }
    for (const json& value : object["allowed"]) limit.allowed.push_back(AllowedValue(value, where + ".allowed"));
  }
  if (limit.min && limit.max && *limit.min > *limit.max) throw std::runtime_error(where + ": min is above max");
  return limit;
}

ProfileStep ParseStep(const json& step, const std::string& where) {
  ProfileStep parsed;
  json word = step;
  if (step.is_object()) {
    for (const auto& [key, value] : step.items()) {
      (void)value;
      if (key != "operation" && key != "timeLimitSeconds") throw std::runtime_error(where + ": unknown key '" + key + "'");
    }
    word = step.value("operation", json());
    if (step.contains("timeLimitSeconds")) {
      const json& seconds = step["timeLimitSeconds"];
      if (!seconds.is_number() || seconds.get<double>() <= 0 || seconds.get<double>() > 86400) {
        throw std::runtime_error(where + ".timeLimitSeconds: a number of seconds from 0 to 86400 is expected");
      }
      parsed.timeLimit = std::chrono::milliseconds(static_cast<long long>(seconds.get<double>() * 1000));
    }
  }
  if (!word.is_string()) throw std::runtime_error(where + ": an operation word is expected");
  parsed.word = word.get<std::string>();
  std::string error;
  if (!ParseOperationWord(parsed.word, parsed.row, parsed.args, error)) throw std::runtime_error(where + ": " + error);
  if (parsed.row->cliWord != nullptr && std::string(parsed.row->cliWord) == "debug") {
    throw std::runtime_error(where + ": the debug console cannot be part of a sequence");
  }
  return parsed;
}

Profile ParseDocument(const json& document) {
  if (!document.is_object()) throw std::runtime_error("the profile is not a JSON object");
  for (const auto& [key, value] : document.items()) {
    (void)value;
    if (key != "product" && key != "askSerial" && key != "sequence" && key != "limits" && key != "$schema") {
      throw std::runtime_error("unknown key '" + key + "'");
    }
  }
  Profile profile;
  if (!document.contains("product") || !document["product"].is_string() || document["product"].get<std::string>().empty()) {
    throw std::runtime_error("product: the product's name is expected");
  }
  profile.product = document["product"].get<std::string>();
  if (document.contains("askSerial")) {
    if (!document["askSerial"].is_boolean()) throw std::runtime_error("askSerial: true or false is expected");
    profile.askSerial = document["askSerial"].get<bool>();
  }
  const json sequence = document.value("sequence", json());
  if (!sequence.is_array() || sequence.empty()) throw std::runtime_error("sequence: a non-empty list is expected");
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    profile.steps.push_back(ParseStep(sequence[i], "sequence[" + std::to_string(i) + "]"));
  }
  if (document.contains("limits")) {
    if (!document["limits"].is_object()) throw std::runtime_error("limits: an object is expected");
    for (const auto& [name, limit] : document["limits"].items()) {
      profile.limits[name] = ParseLimit(limit, "limits." + name);
    }
  }
  if (profile.limits.count("rtc.differenceSeconds") == 0) profile.limits["rtc.differenceSeconds"] = DefaultRtcLimit();
  return profile;
}

}  // namespace

std::size_t Profile::StepsAfterDownload() const {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].row->cliWord != nullptr && std::string(steps[i].row->cliWord) == "download") return i + 1;
  }
  return 0;
}

Limit DefaultRtcLimit() {
  Limit limit;
  limit.min = 10;
  limit.max = 11;
  return limit;
}

std::optional<Profile> ParseProfile(const std::string& text, std::string& error) {
  try {
    return ParseDocument(json::parse(text));
  } catch (const std::exception& failure) {
    error = failure.what();
    return std::nullopt;
  }
}

std::optional<Profile> LoadProfile(HostSystem& system, const std::string& path, std::string& error) {
  std::string reason;
  const auto file = system.OpenForReading(path, reason);
  if (!file) {
    error = "cannot read the profile " + path + ": " + reason;
    return std::nullopt;
  }
  if (file->Size() > kLargestProfile) {
    error = "the profile " + path + " is larger than 1 MB";
    return std::nullopt;
  }
  std::string text(static_cast<std::size_t>(file->Size()), '\0');
  if (!text.empty() && file->Read(reinterpret_cast<std::uint8_t*>(text.data()), text.size()) != text.size()) {
    error = "cannot read the profile " + path;
    return std::nullopt;
  }
  auto profile = ParseProfile(text, error);
  if (!profile) error = "profile " + path + ": " + error;
  return profile;
}

}  // namespace rz
