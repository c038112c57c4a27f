#include "editor/option_group.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace trv {

OptionGroup::OptionGroup(std::initializer_list<int> positions, std::optional<int> checked) {
  for (int position : positions) {
    if (position < 0 || position >= kMaxMembers) {
      throw std::out_of_range("option group position " + std::to_string(position));
    }
    FMembers[static_cast<std::size_t>(position)].Present = true;
  }
  if (checked) Check(*checked);
}

const OptionMember& OptionGroup::Member(int position) const {
  if (position < 0 || position >= kMaxMembers ||
      !FMembers[static_cast<std::size_t>(position)].Present) {
    throw std::out_of_range("option group has no member at " + std::to_string(position));
  }
  return FMembers[static_cast<std::size_t>(position)];
}

OptionMember& OptionGroup::At(int position) {
  return const_cast<OptionMember&>(std::as_const(*this).Member(position));
}

std::optional<int> OptionGroup::CheckedPosition() const {
  for (int position = 0; position < kMaxMembers; ++position) {
    const OptionMember& member = FMembers[static_cast<std::size_t>(position)];
    if (member.Present && member.Checked) return position;
  }
  return std::nullopt;
}

bool OptionGroup::AnyChecked() const {
  return CheckedPosition().has_value();
}

void OptionGroup::Check(int position) {
  At(position);  // a position without a member checks nothing
  for (int other = 0; other < kMaxMembers; ++other) {
    FMembers[static_cast<std::size_t>(other)].Checked = other == position;
  }
}

void OptionGroup::UncheckAll() {
  for (OptionMember& member : FMembers) member.Checked = false;
}

void OptionGroup::SetAllVisible(bool visible) {
  for (OptionMember& member : FMembers) member.Visible = visible;
}

bool OptionGroup::Click(int position, bool checked) {
  At(position).Checked = checked;
  if (checked) {
    Check(position);
  } else if (!AnyChecked()) {
    At(position).Checked = true;
  }
  return Checked(position);
}

std::optional<int> OptionGroup::ApplyLimits(const LimitsEntry& entry) {
  for (int position = 0; position < kLimitsEntryPositions; ++position) {
    const std::uint8_t availability = entry.Members[static_cast<std::size_t>(position)];
    OptionMember& member = FMembers[static_cast<std::size_t>(position)];
    if (availability == kMemberUnchanged || !member.Present) continue;
    member.Enabled = availability == kMemberAvailable;
    member.Checked = position == entry.CheckedPosition;
  }
  const int checked = entry.CheckedPosition;
  const bool hasMember = checked >= 0 && checked < kLimitsEntryPositions &&
                         FMembers[static_cast<std::size_t>(checked)].Present;
  return hasMember ? std::optional<int>(checked) : std::nullopt;
}

}  // namespace trv
