#pragma once

#include "app/edit_rule.h"
#include "boardtests/external_com_params.h"

namespace rz {

// The rules of the external channel test's parameters dialog. Its lists hold
// the entries of external_com_texts.h; the code pattern and channel count
// boxes are editable, and text typed into one leaves it without a selected
// entry (index -1). OK stores ApplyDialogOk(current, choice); Cancel stores
// nothing.

// The block-size edit: at most four digits.
inline constexpr EditRule kBlockSizeEdit{kBlockSizeDigits, true};

// What the dialog shows when it opens on `params`: DialogChoiceFor, with every
// index that names no entry of its list turned into -1 (no entry selected).
ExtComDialogChoice DialogOpeningChoice(const ExtComParams& params);

}  // namespace rz
