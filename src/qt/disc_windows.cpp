#include "qt/disc_windows.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "disc/disc_fit.h"
#include "jobs/progress.h"

namespace mk {

namespace {

const char* const kSizes[] = {"dvd5", "dvd9", "cd74", "cd80"};

QString Text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

int Kbps(const disc::StoredTitle& t, const char* option) {
    return std::atoi(disc::ArgValue(t.args, option).c_str());
}

double TitleBytes(const disc::StoredTitle& t) {
    const auto kind = disc::DiscKindFor(disc::ArgValue(t.args, "--target"));
    if (!kind) {
        return 0;
    }
    const bool audio = std::find(t.args.begin(), t.args.end(), "--no-audio") == t.args.end();
    return disc::EstimatedTitleBytes(*kind, t.seconds, Kbps(t, "--video-bitrate"),
                                     audio ? Kbps(t, "--audio-bitrate") : 0);
}

}  // namespace

DiscTitlesWindow::DiscTitlesWindow(const std::string& path, QWidget* parent)
    : QDialog(parent), m_path(path), m_titles(disc::ReadDiscTitles(path)) {
    setWindowTitle(tr("Disc titles"));
    m_list = new QTreeWidget(this);
    m_list->setHeaderLabels({tr("Name"), tr("Duration"), tr("Estimated size")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* remove = new QPushButton(tr("&Remove"), this);
    auto* up = new QPushButton(tr("Move &up"), this);
    auto* down = new QPushButton(tr("Move &down"), this);
    auto* close = new QPushButton(tr("Close"), this);
    m_size = new QComboBox(this);
    for (const char* size : kSizes) {
        m_size->addItem(size);
    }
    m_size->setAccessibleName(tr("Disc size"));
    m_gauge = new QProgressBar(this);
    m_gauge->setAccessibleName(tr("How full the disc is"));
    connect(remove, &QPushButton::clicked, this, [this] { Remove(); });
    connect(up, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(down, &QPushButton::clicked, this, [this] { Move(1); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_size, &QComboBox::currentIndexChanged, this,
            [this] { Fill(m_list->currentIndex().row()); });
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {remove, up, down}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    buttons->addWidget(close);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(buttons);
    auto* gauge = new QHBoxLayout;
    gauge->addWidget(m_size);
    gauge->addWidget(m_gauge, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(gauge);
    resize(560, 300);
    Fill(0);
}

void DiscTitlesWindow::Fill(int current) {
    m_list->clear();
    double total = 0;
    for (const disc::StoredTitle& t : m_titles) {
        const double bytes = TitleBytes(t);
        total += bytes;
        const std::string source = disc::ArgValue(t.args, "--source");
        auto* item = new QTreeWidgetItem(
            m_list, {Text(std::filesystem::path(source).stem().string()),
                     Text(FormatClock(t.seconds)), QString::number(bytes / 1e6, 'f', 1) + " MB"});
        item->setToolTip(0, Text(source));
    }
    if (current >= 0 && current < m_list->topLevelItemCount()) {
        m_list->setCurrentItem(m_list->topLevelItem(current));
    }
    const auto size = disc::ParseDiscSize(m_size->currentText().toStdString());
    const double share = size ? total / static_cast<double>(size->bytes) : 0;
    m_gauge->setRange(0, 100);
    m_gauge->setValue(std::min(100, static_cast<int>(std::lround(share * 100))));
    m_gauge->setFormat(tr("%1 % of %2").arg(std::lround(share * 100)).arg(m_size->currentText()));
}

void DiscTitlesWindow::Move(int by) {
    const int row = m_list->currentIndex().row();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(m_titles.size())) {
        return;
    }
    std::swap(m_titles[row], m_titles[to]);
    Store();
    Fill(to);
}

void DiscTitlesWindow::Remove() {
    const int row = m_list->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(m_titles.size())) {
        return;
    }
    m_titles.erase(m_titles.begin() + row);
    Store();
    Fill(std::min(row, static_cast<int>(m_titles.size()) - 1));
}

void DiscTitlesWindow::Store() {
    disc::WriteDiscTitles(m_path, m_titles);
}

std::optional<DiscRequest> AskDiscRequest(QWidget* parent, const std::string& startName) {
    QDialog dialog(parent);
    dialog.setWindowTitle(DiscTitlesWindow::tr("Make disc"));
    auto* name = new QLineEdit(Text(startName), &dialog);
    auto* chapters = new QLineEdit("5", &dialog);
    auto* size = new QComboBox(&dialog);
    size->setEditable(true);
    size->addItem("");
    for (const char* s : kSizes) {
        size->addItem(s);
    }
    auto* form = new QFormLayout;
    form->addRow(DiscTitlesWindow::tr("Folder, .iso or .cue &name:"), name);
    form->addRow(DiscTitlesWindow::tr("&Chapter every (minutes or M:SS):"), chapters);
    form->addRow(DiscTitlesWindow::tr("&Fill the disc size (empty: no fitting):"), size);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || name->text().trimmed().isEmpty()) {
        return std::nullopt;
    }
    return DiscRequest{name->text().trimmed().toStdString(),
                       chapters->text().trimmed().toStdString(),
                       size->currentText().trimmed().toStdString()};
}

}  // namespace mk
