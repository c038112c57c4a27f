#pragma once

#include <span>
#include <string_view>

namespace trv {

// A check box that stands alone.
struct CheckState {
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool operator==(const CheckState&) const = default;
};

// A combo box of fixed items: its selected position.
struct ChoiceState {
  std::span<const std::string_view> Items;
  int Index = 0;
  bool operator==(const ChoiceState& other) const { return Index == other.Index; }
};

}  // namespace trv
