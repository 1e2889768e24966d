#include "production/verdict.h"

#include <algorithm>
#include <set>

#include "operations/operation_table.h"

namespace rz {
namespace {

std::string StepWord(const ProfileStep& step) { return step.row->cliWord != nullptr ? step.row->cliWord : step.word; }

const char* VerdictRussian(Verdict verdict) {
  switch (verdict) {
    case Verdict::Pass: return "ГОДЕН";
    case Verdict::Fail: return "БРАК";
    case Verdict::Incomplete: break;
  }
  return "НЕ ЗАВЕРШЕНО";
}

std::string SecondsText(double seconds) {
  return ValueText(Measurement{"", seconds, ""}) + " с";
}

}  // namespace

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Pass: return "PASS";
    case Verdict::Fail: return "FAIL";
    case Verdict::Incomplete: break;
  }
  return "INCOMPLETE";
}

UnitVerdict DecideVerdict(const Profile& profile, std::size_t firstStep, const std::vector<StepResult>& steps,
                          const std::vector<Measurement>& measurements) {
  UnitVerdict verdict;
  verdict.product = profile.product;
  verdict.steps = steps;
  bool failed = false;
  bool incomplete = steps.size() + firstStep < profile.steps.size();
  for (const StepResult& step : steps) {
    if (step.outcome == Outcome::Success) continue;
    verdict.failing.push_back(step.word);
    if (step.outcome == Outcome::Failed && !step.timedOut) {
      failed = true;
    } else {
      incomplete = true;
    }
  }
  std::set<std::string> measured;
  for (const Measurement& measurement : measurements) {
    JudgedMeasurement judged = Judge(measurement, profile.limits);
    measured.insert(LimitName(measurement.name));
    measured.insert(measurement.name);
    if (judged.judgement == Judgement::Fail) {
      failed = true;
      verdict.failing.push_back(measurement.name);
    }
    if (judged.judgement == Judgement::Marginal) verdict.marginal.push_back(measurement.name);
    verdict.measurements.push_back(std::move(judged));
  }
  // A limit of an operation that succeeded must have been measured: a value
  // nobody saw is not a value known right.
  std::set<std::string> succeeded;
  for (std::size_t i = 0; i < steps.size() && firstStep + i < profile.steps.size(); ++i) {
    if (steps[i].outcome == Outcome::Success) succeeded.insert(StepWord(profile.steps[firstStep + i]));
  }
  for (const auto& [name, limit] : profile.limits) {
    (void)limit;
    if (succeeded.count(OperationOfName(name)) != 0 && measured.count(name) == 0) {
      incomplete = true;
      verdict.failing.push_back(name);
    }
  }
  verdict.verdict = failed ? Verdict::Fail : incomplete ? Verdict::Incomplete : Verdict::Pass;
  return verdict;
}

std::vector<std::string> VerdictJournalLines(const UnitVerdict& verdict) {
  std::vector<std::string> lines{"", " ==== " + verdict.product + ": " + VerdictRussian(verdict.verdict) + " ===="};
  for (const StepResult& step : verdict.steps) {
    if (step.outcome == Outcome::Success) continue;
    if (step.timedOut) {
      lines.push_back(" *" + step.word + ": превышено время " + SecondsText(step.timeLimitSeconds.value_or(0)));
    } else if (!step.outcome) {
      lines.push_back(" *" + step.word + ": операция не запущена");
    } else {
      lines.push_back(" *" + step.word + (step.outcome == Outcome::Failed ? ": ошибка" : ": прервано"));
    }
  }
  std::set<std::string> shown;
  for (const JudgedMeasurement& judged : verdict.measurements) {
    if (judged.judgement != Judgement::Fail && judged.judgement != Judgement::Marginal) continue;
    shown.insert(judged.measurement.name);
    lines.push_back(std::string(judged.judgement == Judgement::Fail ? " *" : " !") + judged.measurement.name + " = " +
                    ValueText(judged.measurement) + " (норма " + LimitText(*judged.limit) + ")");
  }
  for (const std::string& name : verdict.failing) {
    const bool isStep = std::any_of(verdict.steps.begin(), verdict.steps.end(),
                                    [&](const StepResult& step) { return step.word == name; });
    if (!isStep && shown.count(name) == 0) lines.push_back(" *" + name + ": нет измерения");
  }
  return lines;
}

std::string VerdictStatusText(const UnitVerdict& verdict) {
  return verdict.product + ": " + VerdictRussian(verdict.verdict);
}

}  // namespace rz
