#pragma once

#include <array>
#include <initializer_list>
#include <optional>

#include "model/limits_entry.h"

namespace trv {

// One check box of an option group.
struct OptionMember {
  bool Present = false;  // a position without a member is never shown or checked
  bool Enabled = true;
  bool Visible = true;
  bool Checked = false;

  bool operator==(const OptionMember&) const = default;
};

// Check boxes that act as one choice. The first three positions are those a limits entry sets;
// a fourth holds a member that only takes part in the choice (the loop group's "Virtual").
// A click never leaves the group without a checked member; only a limits entry whose checked
// position has no member does.
class OptionGroup {
 public:
  static constexpr int kMaxMembers = kLimitsEntryPositions + 1;

  // The positions that hold a member, and the one checked at first (none when absent).
  OptionGroup(std::initializer_list<int> positions, std::optional<int> checked);

  const OptionMember& Member(int position) const;
  bool Checked(int position) const { return Member(position).Checked; }
  std::optional<int> CheckedPosition() const;

  void SetEnabled(int position, bool enabled) { At(position).Enabled = enabled; }
  void SetVisible(int position, bool visible) { At(position).Visible = visible; }
  // Checks the member and unchecks the others, as a loaded rule or a handler does.
  void Check(int position);
  // A choice made outside the group ("General Event" over the panel boxes) unchecks every member.
  void UncheckAll();
  void SetAllVisible(bool visible);

  // The user's click left the member checked or unchecked: a checked member unchecks the others;
  // the last checked member unchecked is checked again. True when the member ends up checked.
  bool Click(int position, bool checked);

  // Availability and checked state from the entry, position by position; the unchanged marker
  // leaves a member as it is. The checked position whose handler runs, when it has a member.
  std::optional<int> ApplyLimits(const LimitsEntry& entry);

  bool operator==(const OptionGroup&) const = default;

 private:
  OptionMember& At(int position);
  bool AnyChecked() const;

  std::array<OptionMember, kMaxMembers> FMembers{};
};

}  // namespace trv
