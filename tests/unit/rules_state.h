// Folds a list of control changes into the state the form ends in, so tests can speak about
// final states ("Generate enabled, width reads 720") rather than about the steps.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "form/field_table.h"
#include "rules/control_change.h"
#include "rules/control_rules.h"

namespace mk::test {

struct FoldedState {
    std::map<int, bool> enabled;      // only controls some change touched
    std::map<int, std::string> text;  // last text written per control
    bool aviSynthCleared = false;
    std::vector<std::string> fileMissingBoxes;  // texts of the boxes, in order

    std::optional<bool> Enabled(int id) const {
        auto it = enabled.find(id);
        return it == enabled.end() ? std::nullopt : std::optional<bool>(it->second);
    }
    std::optional<std::string> Text(int id) const {
        auto it = text.find(id);
        return it == text.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
};

// The field a control shows, and the controls the rules govern: the tests speak of controls.
inline Field FieldOf(int control) {
    for (const FieldRow& row : FieldTable()) {
        if (row.control == control) {
            return row.field;
        }
    }
    return Field::SourceFile;
}

inline std::vector<int> GovernedControls() {
    std::vector<int> ids;
    for (Field field : kGovernedFields) {
        ids.push_back(RowOf(field).control);
    }
    return ids;
}

inline FoldedState Fold(const ControlChanges& changes, FoldedState state = {}) {
    for (const ControlChange& c : changes) {
        switch (c.kind) {
            case ChangeKind::Enable:
                state.enabled[RowOf(c.field).control] = true;
                break;
            case ChangeKind::Disable:
                state.enabled[RowOf(c.field).control] = false;
                break;
            case ChangeKind::SetText:
                state.text[RowOf(c.field).control] = c.text;
                break;
            case ChangeKind::ClearAviSynthCheck:
                state.aviSynthCleared = true;
                break;
            case ChangeKind::FileMissingBox:
                state.fileMissingBoxes.push_back(c.text);
                break;
        }
    }
    return state;
}

}  // namespace mk::test
