// The Disc menu's windows: the titles collected for a disc (order, removal, how full the disc
// would be) and the request for a disc (its name, chapters and size). Texts through tr().
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "disc/disc_titles.h"

class QComboBox;
class QProgressBar;
class QTreeWidget;

namespace mk {

class DiscTitlesWindow : public QDialog {
    Q_OBJECT
public:
    // Every change is written back to `path` at once.
    DiscTitlesWindow(const std::string& path, QWidget* parent);

private:
    void Fill(int current);
    void Move(int by);
    void Remove();
    void Store();

    std::string m_path;
    std::vector<disc::StoredTitle> m_titles;
    QTreeWidget* m_list;
    QComboBox* m_size;
    QProgressBar* m_gauge;
};

struct DiscRequest {
    std::string name;      // folder, .iso or .cue
    std::string chapters;  // minutes or M:SS
    std::string size;      // "" for no fitting, else dvd5, dvd9, cd74, cd80 or bytes
};

// Asks for a disc; nullopt when cancelled.
std::optional<DiscRequest> AskDiscRequest(QWidget* parent, const std::string& startName);

}  // namespace mk
