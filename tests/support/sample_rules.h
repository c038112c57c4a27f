#pragma once

#include "model/rule_record.h"

namespace trv::test {

// Rule n of a list that runs Zonal, Event (Local), Event (Network), Board, Zonal, ...
RuleRecord SampleRule(int n);

}  // namespace trv::test
