#include "PlanetaryOptions.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "DesignInput.h"
#include "DesignSearch.h"

namespace quenmar::design {

namespace options {

std::optional<std::int64_t> ParseCount(std::string_view text, std::int64_t low, std::int64_t high) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high)
    return {};
  return value;
}

std::optional<std::pair<int, int>> ParseRange(std::string_view text, int low, int high) {
  const std::size_t dots = text.find("..");
  const auto a = ParseCount(text.substr(0, dots), low, high);
  const auto b = dots == std::string_view::npos ? a : ParseCount(text.substr(dots + 2), low, high);
  if (!a || !b || *a > *b) return {};
  return std::pair{static_cast<int>(*a), static_cast<int>(*b)};
}

std::optional<geometry::Exact> ParseExact(std::string_view text, double high, bool zero) {
  const Parsed<Rational> parsed = ParseTarget(text);
  const auto* value = std::get_if<Rational>(&parsed);
  const std::optional<Fraction> f = value ? value->AsFraction() : std::nullopt;
  constexpr std::uint64_t kLargest = std::numeric_limits<std::int64_t>::max();
  if (!f || f->num > kLargest || f->den > kLargest || (f->num == 0 && !zero) || ToDouble(*f) > high) return {};
  return geometry::Exact{static_cast<std::int64_t>(f->num), static_cast<std::int64_t>(f->den)};
}

}  // namespace options

namespace {

using namespace options;

// Members as typed: a comma-separated list of sun, ring and carrier, or any.
std::optional<std::vector<Member>> ParseMembers(const std::string& text) {
  if (text == "any") return std::vector{Member::Sun, Member::Ring, Member::Carrier};
  return ParseList<Member>(text, [](const std::string& item) -> std::optional<Member> {
    if (item == "sun") return Member::Sun;
    if (item == "ring") return Member::Ring;
    if (item == "carrier") return Member::Carrier;
    return {};
  });
}

// A length in mm as whole thousandths, from a decimal or a fraction A/B within low..high.
std::optional<std::int64_t> ParseMicrons(std::string_view text, double high, bool zero) {
  const auto exact = ParseExact(text, high, zero);
  if (!exact || (exact->num * 1000) % exact->den != 0) return {};
  return exact->num * 1000 / exact->den;
}

}  // namespace

std::optional<PlanetaryKind> PlanetaryKindNamed(std::string_view name) {
  for (PlanetaryKind kind : {PlanetaryKind::Simple, PlanetaryKind::Stepped, PlanetaryKind::Wolfrom})
    if (name == KindName(kind)) return kind;
  return {};
}

std::optional<std::string> ReadPlanetaryTexts(const PlanetaryTexts& t, PlanetaryQuery& p) {
  const auto kindNamed = PlanetaryKindNamed(t.kind);
  if (!kindNamed) return "--planetary accepts simple, stepped or wolfrom";
  p.kind = *kindNamed;
  const std::string kind = KindName(p.kind);
  const bool wolfrom = p.kind == PlanetaryKind::Wolfrom;
  if (t.held) {
    const auto held = ParseMembers(*t.held);
    if (!held) return "--held accepts sun, ring, carrier or any (several separated by commas)";
    p.held = *held;
  }
  if (t.input) {
    const auto input = ParseMembers(*t.input);
    if (!input) return "--input accepts sun, ring, carrier or any (several separated by commas)";
    p.input = *input;
    // "any" drives a Wolfrom train from each member that can.
    if (wolfrom && *t.input == "any") p.input = {Member::Sun, Member::Carrier};
  }
  const bool sunDrives = std::find(p.input.begin(), p.input.end(), Member::Sun) != p.input.end();
  // Each member's ranges: one, or two where the kind has a second planet step or ring.
  const auto ranges = [&](const std::optional<std::string>& text, const char* option, int first, int second,
                          bool twoRequired, bool twoAllowed) -> std::optional<std::string> {
    const std::string what = twoRequired ? "two teeth ranges, such as 10..60,10..60"
                             : twoAllowed ? "one or two teeth ranges, such as 10..60 or 10..60,10..60"
                                          : "a teeth range, such as 10..60";
    const std::string accepted = std::string(option) + " accepts " + what + " for the " + kind +
                                 " kind, whole numbers from 1 to 500";
    if (!text) return "--planetary " + kind + " needs " + option + ": " + what;
    const auto list = ParseList<std::pair<int, int>>(*text, [](const std::string& r) { return ParseRange(r, 1, kMaxTeeth); });
    if (!list || list->size() > (twoAllowed ? 2u : 1u) || (twoRequired && list->size() != 2)) return accepted;
    p.minTeeth[first] = (*list)[0].first;
    p.maxTeeth[first] = (*list)[0].second;
    if (list->size() == 2) {
      p.minTeeth[second] = (*list)[1].first;
      p.maxTeeth[second] = (*list)[1].second;
    }
    return {};
  };
  if (!wolfrom || sunDrives) {
    if (auto problem = ranges(t.sun, "--sun", kSun, kSun, false, false)) return problem;
  } else if (t.sun) {
    return "--sun: a wolfrom train driven by the carrier has no sun (add --input sun to drive it by one)";
  }
  if (auto problem = ranges(t.planet, "--planet", kPlanet, kPlanet2, p.kind == PlanetaryKind::Stepped, !(p.kind == PlanetaryKind::Simple)))
    return problem;
  if (auto problem = ranges(t.ring, "--ring", kRing, kRing2, wolfrom, wolfrom)) return problem;
  if (t.planets) {
    const auto n = ParseRange(*t.planets, kMinPlanets, kMaxPlanets);
    if (!n) return "--planets accepts 2 to 12 planets: a number or a range such as 3..5";
    p.minPlanets = n->first;
    p.maxPlanets = n->second;
  }
  if (t.spacing) {
    if (*t.spacing == "even") p.anySpacing = false;
    else if (*t.spacing == "any") p.anySpacing = true;
    else return "--spacing accepts even or any (planets wherever every mesh engages, nearest to even)";
  }
  p.oneModule = t.oneModule;
  if (t.module) {
    const auto module = ParseMicrons(*t.module, 100, false);
    if (!module) return "--module accepts the module of the first mesh, above 0 and up to 100 mm in whole thousandths";
    p.moduleMicrons = *module;
  }
  if (t.clearance) {
    const auto clearance = ParseMicrons(*t.clearance, 1000, true);
    if (!clearance) return "--clearance accepts a distance from 0 to 1000 mm in whole thousandths";
    p.clearanceMicrons = *clearance;
  }
  if (t.profileShift) {
    if (p.kind != PlanetaryKind::Simple) return "--profile-shift applies to the simple kind only";
    const auto shift = t.profileShift->empty() ? std::optional<std::int64_t>(1000) : ParseMicrons(*t.profileShift, 2, true);
    if (!shift) return "--profile-shift accepts the largest shift of a gear, 0 to 2 in whole thousandths (1 when given alone)";
    p.maxShiftMillis = static_cast<int>(*shift);
  }
  return {};
}

PlanetaryProblem SplitPlanetaryProblem(const std::string& message) {
  PlanetaryProblem problem;
  std::string rest;
  if (message.starts_with("--planetary ") && message.find(" needs --") != std::string::npos) {
    // "--planetary KIND needs --OPTION: what"
    const std::size_t at = message.find(" needs --") + 7, colon = message.find(':', at);
    problem.option = message.substr(at, colon - at);
    rest = "needs " + (colon == std::string::npos ? std::string() : message.substr(std::min(colon + 2, message.size())));
  } else {
    const std::size_t end = message.find_first_of(" :");
    problem.option = message.substr(0, end);
    rest = end == std::string::npos ? std::string() : message.substr(end + (message.compare(end, 2, ": ") == 0 ? 2 : 1));
  }
  // The options still named, as the window's labels name them (the longer name first).
  static const std::pair<const char*, const char*> kLabels[] = {
      {"--planetary", "Configuration"}, {"--planets", "Planets"}, {"--planet", "Planet"}, {"--sun", "Sun"},         {"--ring", "Ring"},
      {"--held", "Held"},       {"--input", "Input"},   {"--spacing", "Spacing"}, {"--module", "Module"},
      {"--clearance", "Clearance"}, {"--profile-shift", "Profile shift"}};
  for (const auto& [option, label] : kLabels)
    for (std::size_t at; (at = rest.find(option)) != std::string::npos;) rest.replace(at, std::string_view(option).size(), label);
  problem.text = rest;
  return problem;
}

}  // namespace quenmar::design
