#include "core/exrights.h"
// STUB: to be implemented
namespace ym {
double PriceAfterFrom(double p, const ExRightsPlan&) { return p; }
double PriceBeforeFrom(double p, const ExRightsPlan&) { return p; }
double ExRightsCalculator::Compute() { return 0; }
} // namespace ym
