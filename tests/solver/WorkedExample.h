#pragma once
// The results file of the worked example: "Double Reduction", every gear 10..25, target 3.624,
// range 0.01, maximum 100, dated 4 July 2002. Shared by the writer's tests and the tests of
// quenmar-solve, which must print the same bytes.

namespace quenmar::examples {

inline constexpr char kWorkedExample[] =
    "Quenmar V1.01\n"
    "Date: 7/4/2002\n"
    "Solutions Are Not Sorted\n"
    "Method = Double Reduction\n"
    "Target Reduction =      3.624\n"
    "Convergence Range = +/-    0.01000\n"
    "Maximum Number of Solutions =   100\n"
    " Difference Reduction  N1     N2     N3     N4\n"
    "   0.003     3.627     10     19     11     21\n"
    "   0.003     3.627     10     21     11     19\n"
    "   0.010     3.614     10     22     14     23\n"
    "   0.010     3.614     10     23     14     22\n"
    "   0.003     3.627     11     19     10     21\n"
    "   0.003     3.627     11     21     10     19\n"
    "   0.010     3.614     14     22     10     23\n"
    "   0.010     3.614     14     23     10     22\n"
    "The number of solutions found was: 8\n";

}  // namespace quenmar::examples
