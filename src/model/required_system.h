#pragma once

#include <cstdint>
#include <span>

#include "model/rule_record.h"

namespace trv {

// The lowest SystemIndex (0 KP10, 1 KP4000, 2 KP6000) that a rule needs. 0 also stands for
// "no level": such a rule runs on every system.

// At set time, from the editor's fields.
int RequiredSystemOfBoardRule(bool networkZoneInput, std::int32_t panel, std::int32_t lastZone);
int RequiredSystemOfZonalRule(bool networkZoneInput, std::int32_t panel, std::int32_t lastZone);
int RequiredSystemOfEventNetworkRule();
// Event (Local) and Event (General): the event panel and loop fields.
int RequiredSystemOfEventLocalRule(std::int32_t panel, std::int32_t loop);

// RequiredSystem after a rule is set: it never goes down.
int RaisedRequiredSystem(int requiredSystem, int ruleLevel);

// The level of one stored rule, as it would have been set under systemIndex (whose zone maximum
// caps a board rule's last zone). Rules of no kind 0..4 need nothing.
// Throws std::out_of_range for a system index outside 0..2.
int RequiredSystemOfStoredRule(const RuleRecord& rule, int modelIndex, int systemIndex);

// RequiredSystem recomputed from the stored rules (after a delete), rule by rule as each would
// have been set. A board rule's last zone follows from its first zone and span, capped at the
// zone maximum of systemIndex. Rules of no kind 0..4 need nothing.
// Throws std::out_of_range for a system index outside 0..2.
int RequiredSystemOfStoredRules(std::span<const RuleRecord> rules, int modelIndex, int systemIndex);

}  // namespace trv
