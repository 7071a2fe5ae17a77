// What the install checks compare against, from the code itself: the configurations with
// the names quenmar-solve's --config completion must offer, and the worked example's
// results file.

#include <cstdio>
#include <cstring>

#include "TrainConfiguration.h"
#include "WorkedExample.h"

int main(int argc, char* argv[]) {
  if (argc == 2 && std::strcmp(argv[1], "configurations") == 0) {
    for (int i = 0; i < quenmar::kConfigurationCount; ++i) {
      const quenmar::TrainConfiguration& c = quenmar::Configuration(i);
      // Index 6 has no selector entry; its method name is how quenmar-solve documents it.
      const auto name = c.selectorEntry.empty() ? c.methodName : c.selectorEntry;
      std::printf("%d  %.*s\n", i, static_cast<int>(name.size()), name.data());
    }
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "worked-example") == 0) {
    std::fputs(quenmar::examples::kWorkedExample, stdout);
    return 0;
  }
  std::fputs("usage: packaging_fixtures configurations|worked-example\n", stderr);
  return 2;
}
