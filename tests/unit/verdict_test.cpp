// Limits and verdicts: how one measurement is judged and how a board's run of
// a profile's sequence becomes PASS, FAIL or INCOMPLETE.

#include <gtest/gtest.h>

#include "production/profile.h"
#include "production/verdict.h"

namespace rz {
namespace {

Profile ProfileOf(const std::string& sequence, const std::string& limits) {
  std::string error;
  std::optional<Profile> profile =
      ParseProfile(R"({"product": "P", "sequence": )" + sequence + R"(, "limits": )" + limits + "}", error);
  EXPECT_TRUE(profile) << error;
  return profile.value_or(Profile{});
}

struct JudgeCase {
  Measurement measurement;
  Judgement expected;
};

TEST(Limits, EachKindOfLimitJudgesNumbersAndTexts) {
  const Profile profile = ProfileOf(R"(["sdram"])", R"({
      "sdram.errors": {"max": 0},
      "write.seconds": {"max": 120, "marginalMax": 60},
      "config.flash.part": {"allowed": ["AT49BV322A", "K8D3216UB"]},
      "config.sdram.totalMegabytes": {"equals": 16},
      "ext-com.errors": {"max": 0}})");
  const std::vector<JudgeCase> cases{
      {{"sdram.errors", 0.0, ""}, Judgement::Pass},
      {{"sdram.errors", 3.0, ""}, Judgement::Fail},
      {{"write.seconds", 70.0, "s"}, Judgement::Marginal},
      {{"write.seconds", 121.0, "s"}, Judgement::Fail},
      {{"config.flash.part", std::string("K8D3216UB"), ""}, Judgement::Pass},
      {{"config.flash.part", std::string("???"), ""}, Judgement::Fail},
      {{"config.sdram.totalMegabytes", 16.0, "MB"}, Judgement::Pass},
      {{"config.sdram.totalMegabytes", std::string("???"), ""}, Judgement::Fail},
      {{"ext-com.errors[7]", 2.0, ""}, Judgement::Fail},  // the limit without the index holds each channel
      {{"ext-com.errors[8]", 0.0, ""}, Judgement::Pass},
      {{"rtc.differenceSeconds", 12.0, "s"}, Judgement::Fail},  // the default 10..11
      {{"rtc.differenceSeconds", 11.0, "s"}, Judgement::Pass},
      {{"sdram.seconds", 9.0, "s"}, Judgement::None},
  };
  for (const JudgeCase& c : cases) {
    EXPECT_EQ(Judge(c.measurement, profile.limits).judgement, c.expected) << c.measurement.name << " " << ValueText(c.measurement);
  }
}

StepResult Step(const char* word, std::optional<Outcome> outcome, bool timedOut = false) {
  StepResult step;
  step.word = word;
  step.outcome = outcome;
  step.timedOut = timedOut;
  return step;
}

struct VerdictCase {
  const char* name;
  std::vector<StepResult> steps;
  std::vector<Measurement> measurements;
  Verdict expected;
  std::vector<std::string> failing;
};

TEST(Verdicts, OnlyACompleteRunWithEveryLimitMeasuredAndKeptPasses) {
  const Profile profile = ProfileOf(R"(["download", "sdram", "rtc"])",
                                    R"({"sdram.errors": {"max": 0}, "sdram.seconds": {"max": 60, "marginalMax": 30}})");
  const StepResult download = Step("download", Outcome::Success);
  const StepResult sdram = Step("sdram", Outcome::Success);
  const StepResult rtc = Step("rtc", Outcome::Success);
  const Measurement clean{"sdram.errors", 0.0, ""};
  const Measurement inTime{"rtc.differenceSeconds", 10.0, "s"};
  const Measurement quick{"sdram.seconds", 20.0, "s"};
  const std::vector<VerdictCase> cases{
      {"complete", {download, sdram, rtc}, {clean, quick, inTime}, Verdict::Pass, {}},
      {"marginal", {download, sdram, rtc}, {clean, {"sdram.seconds", 40.0, "s"}, inTime}, Verdict::Pass, {}},
      {"a limit broken", {download, sdram, rtc}, {{"sdram.errors", 1.0, ""}, quick, inTime}, Verdict::Fail,
       {"sdram.errors"}},
      {"a failed operation", {download, Step("sdram", Outcome::Failed)}, {clean}, Verdict::Fail, {"sdram"}},
      {"stopped by its time limit", {download, Step("sdram", Outcome::Failed, true)}, {}, Verdict::Incomplete, {"sdram"}},
      {"ESC", {download, Step("sdram", Outcome::Aborted)}, {}, Verdict::Incomplete, {"sdram"}},
      {"refused", {download, Step("sdram", std::nullopt)}, {}, Verdict::Incomplete, {"sdram"}},
      {"a limit not measured", {download, sdram, rtc}, {quick, inTime}, Verdict::Incomplete, {"sdram.errors"}},
      {"the rest not run", {download, sdram}, {clean, quick}, Verdict::Incomplete, {}},
  };

  for (const VerdictCase& c : cases) {
    const UnitVerdict verdict = DecideVerdict(profile, 0, c.steps, c.measurements);
    EXPECT_EQ(verdict.verdict, c.expected) << c.name;
    EXPECT_EQ(verdict.failing, c.failing) << c.name;
  }
  const UnitVerdict marginal = DecideVerdict(profile, 0, cases[1].steps, cases[1].measurements);
  EXPECT_EQ(marginal.marginal, std::vector<std::string>{"sdram.seconds"});
  EXPECT_EQ(VerdictJournalLines(marginal).back(), " !sdram.seconds = 40 s (норма <= 60 (good <= 30))");
}

}  // namespace
}  // namespace rz
