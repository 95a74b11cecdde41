#include "core/fee_parameters.h"
// STUB: to be implemented
namespace ym {
const std::array<ParameterInfo, kShenzhenParameterCount> kParameters{};
FeeParameters FeeParameters::Defaults() { return {}; }
void LoadCurrentRates(const FeeParameters&, int, int, RateSet&) {}
} // namespace ym
