#include "app/encoder_dlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/dialog_units.h"
#include "form/combo_string.h"
#include "form/field_table.h"
#include "qt/first_expose.h"
#include "qt/qt_text.h"
#include "res/dialog_template.h"
#include "res/resource.h"

using namespace mk::ids;

namespace {

// The application's style is a proxy of the desktop's; a box's own style proxies that one too.
QString DesktopStyleName() {
    const QStyle* style = QApplication::style();
    if (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) {
        style = proxy->baseStyle();
    }
    return style->name();
}

// The gap between a check box's mark and its text that a Windows check box has.
class NarrowCheckBoxStyle : public QProxyStyle {
public:
    explicit NarrowCheckBoxStyle(QObject* owner) : QProxyStyle(DesktopStyleName()) {
        setParent(owner);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        return metric == PM_CheckBoxLabelSpacing ? 3
                                                 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Another font can make a caption wider than its template box; labels and check boxes then grow
// rather than cut their text. A check box with its text on the left keeps its mark at the right
// edge, which it shares with its column, and grows to the left, with no wider a gap between text
// and mark than a Windows check box has.
void FitCaption(QWidget* w) {
    auto* box = qobject_cast<QCheckBox*>(w);
    if (qobject_cast<QLabel*>(w) == nullptr && box == nullptr) {
        return;
    }
    const int templateX = w->property("templateX").toInt();
    const int templateWidth = w->property("templateWidth").toInt();
    if (box != nullptr && box->layoutDirection() == Qt::RightToLeft) {
        box->setStyle(nullptr);
        if (box->sizeHint().width() > templateWidth) {
            box->setStyle(new NarrowCheckBoxStyle(box));
        }
        const int width = std::max(templateWidth, box->sizeHint().width());
        box->setGeometry(templateX + templateWidth - width, box->y(), width, box->height());
        return;
    }
    w->resize(std::max(templateWidth, w->sizeHint().width()), w->height());
}

// The controls whose focus loss is an event of the form.
bool IsFocusWatched(int id) {
    for (const auto& route : EncoderEventTable()) {
        if (route.source == id && route.event == CEncoderDlg::Event::LosesFocus) {
            return true;
        }
    }
    return false;
}

// True when the focus really left the control. Switching to another window is no loss of focus,
// nor is opening a combo's list: Qt then moves the focus into the list's own popup window and
// sends the combo a FocusOut for that too, first with the popup reason and then with another.
bool FocusLeft(QWidget* control, Qt::FocusReason reason) {
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) {
        return false;
    }
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->view()->isVisible()) {
        return false;
    }
    // The widget taking the focus is already the application's focus widget; the list's popup
    // is a child of the combo box, though in a window of its own.
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
        if (w == control) {
            return false;
        }
    }
    return true;
}

}  // namespace

CEncoderDlg::CEncoderDlg(mk::Desktop& desktop, QWidget* parent, mk::ShellDialect dialect)
    : QDialog(parent), m_hIcon(AppIcon()), m_desktop(desktop), m_dialect(dialect) {
    const auto& t = mk::EncoderDialogTemplate();
    setWindowTitle(mk::ToQ(t.title));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint);
    setAcceptDrops(true);

    const DialogUnits units = DialogUnits::ForFont(font());
    m_unitX = units.x;
    m_unitY = units.y;

    CreateMenu();
    CreateControls();
    ConnectEvents();
    const int menuHeight = m_menuBar->sizeHint().height();
    setFixedSize(qRound(t.width * m_unitX), qRound(t.height * m_unitY) + menuHeight);
    MakeFormAccessible(*this);
    FitFormToScreen(*this);
}

CEncoderDlg::~CEncoderDlg() = default;

void CEncoderDlg::CreateMenu() {
    m_menuBar = new QMenuBar(this);
    for (const auto& popup : mk::EncoderMenu()) {
        QMenu* menu = m_menuBar->addMenu(mk::ToQ(popup.title));
        for (const auto& item : popup.items) {
            if (item.text.empty()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(mk::ToQ(item.text));
            action->setData(item.command);
            action->setMenuRole(QAction::NoRole);
            if (item.command == ID_OPTIONS_PRESETTING) {
                action->setCheckable(true);
                action->setChecked(item.checked);
            }
            m_actions[item.command] = action;
        }
    }
    RetranslateDiscMenu();
}

void CEncoderDlg::CreateControls() {
    const int top = m_menuBar->sizeHint().height();
    QCompleter placeholder;
    for (const auto& c : mk::EncoderDialogTemplate().controls) {
        QWidget* w = nullptr;
        const QString caption = mk::ToQ(c.caption);
        switch (c.kind) {
            case mk::ControlKind::PushButton:
            case mk::ControlKind::DefPushButton: {
                auto* b = new QPushButton(caption, this);
                b->setAutoDefault(false);
                w = b;
                break;
            }
            case mk::ControlKind::Edit: {
                auto* e = new QLineEdit(this);
                e->setReadOnly(c.flags & mk::kReadOnly);
                w = e;
                break;
            }
            case mk::ControlKind::MultiLineEdit: {
                auto* e = new QPlainTextEdit(this);
                e->setReadOnly(c.flags & mk::kReadOnly);
                e->setLineWrapMode(QPlainTextEdit::NoWrap);
                e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                w = e;
                break;
            }
            case mk::ControlKind::Label: {
                auto* l = new QLabel(caption, this);
                l->setTextFormat(Qt::PlainText);
                w = l;
                break;
            }
            case mk::ControlKind::CheckBoxLeftText: {
                auto* b = new QCheckBox(caption, this);
                b->setLayoutDirection(Qt::RightToLeft);
                w = b;
                break;
            }
            case mk::ControlKind::ComboBox: {
                auto* b = new QComboBox(this);
                // The typed text stays as typed: no completer. Qt builds one for every editable
                // combo box whose line edit has none, so a placeholder stands in until then.
                auto* edit = new QLineEdit(b);
                edit->setCompleter(&placeholder);
                b->setLineEdit(edit);
                b->setInsertPolicy(QComboBox::NoInsert);
                b->setCompleter(nullptr);
                w = b;
                break;
            }
        }
        // A combo box's template height includes its drop-down list.
        const int h = c.kind == mk::ControlKind::ComboBox ? 13 : c.h;
        // Edges are rounded, not sizes, so controls that touch in the template never overlap.
        const int left = qRound(c.x * m_unitX), y = qRound(c.y * m_unitY);
        w->setGeometry(left, top + y, qRound((c.x + c.w) * m_unitX) - left,
                       qRound((c.y + h) * m_unitY) - y);
        w->setEnabled(!(c.flags & mk::kDisabled));
        if (c.kind != mk::ControlKind::Label && (c.flags & mk::kNoTabStop)) {
            w->setFocusPolicy(Qt::ClickFocus);
        }
        w->setProperty("templateX", w->x());
        w->setProperty("templateWidth", w->width());
        w->setObjectName(QStringLiteral("control_%1").arg(c.id));
        w->setProperty("controlId", c.id);
        m_controls[c.id] = w;
    }
}

void CEncoderDlg::ConnectEvents() {
    for (auto [id, w] : m_controls) {
        if (id == IDCANCEL) {
            // Exit is the dialog's own cancel: it closes the form and so ends the program.
            connect(qobject_cast<QAbstractButton*>(w), &QAbstractButton::clicked, this,
                    &CEncoderDlg::reject);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            connect(b, &QAbstractButton::clicked, this,
                    [this, id = id] { Dispatch(Event::Clicked, id); });
        }
        if (IsFocusWatched(id)) {
            w->installEventFilter(this);
        }
    }
    auto* output = qobject_cast<QLineEdit*>(Control(IDC_OUTPUT_FILE));
    connect(output, &QLineEdit::textChanged, this,
            [this] { Dispatch(Event::TextChanged, IDC_OUTPUT_FILE); });
    for (auto [command, action] : m_actions) {
        connect(action, &QAction::triggered, this, [this, command = command, action = action] {
            // The check mark is the only store of Presetting; the handler sets it itself.
            if (action->isCheckable()) {
                action->setChecked(!action->isChecked());
            }
            if (command == IDM_ABOUTBOX) {
                OnSysCommand(IDM_ABOUTBOX, 0);
            } else {
                Dispatch(Event::MenuCommand, command);
            }
        });
    }
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { Dispatch(Event::HelpCommand, ID_HELP); });
}

bool CEncoderDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto* control = static_cast<QWidget*>(watched);
        if (FocusLeft(control, static_cast<QFocusEvent*>(event)->reason())) {
            Dispatch(Event::LosesFocus, control->property("controlId").toInt());
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CEncoderDlg::Dispatch(Event event, int id) {
    // Handlers run one at a time; what a handler itself causes (a control it disables losing
    // the focus, a text it sets) is no new event, as notifications are locked out meanwhile.
    if (m_inDataExchange || m_inHandler) {
        return false;
    }
    for (const auto& route : EncoderEventTable()) {
        if (route.event == event && route.source == id) {
            m_inHandler = true;
            (this->*route.handler)();
            m_inHandler = false;
            return true;
        }
    }
    return false;
}

QWidget* CEncoderDlg::Control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QAction* CEncoderDlg::MenuAction(int command) const {
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CEncoderDlg::FitCaptionIfInitialised(QWidget* w) {
    if (m_captionsFitted) {
        FitCaption(w);
    }
}

void CEncoderDlg::SetControlText(int id, const std::string& text) {
    QWidget* w = Control(id);
    const QString q = mk::ToQ(text);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        std::vector<std::string> items;
        for (int i = 0; i < combo->count(); ++i) {
            items.push_back(mk::FromQ(combo->itemText(i)));
        }
        const std::vector<std::string_view> views(items.begin(), items.end());
        const int index = mk::ComboStringIndex(views, text);
        if (index >= 0) {
            combo->setCurrentIndex(index);
            combo->setEditText(combo->itemText(index));
        } else {
            combo->setEditText(q);
        }
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(q);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setPlainText(q);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(q);
        FitCaptionIfInitialised(w);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(q);
        FitCaptionIfInitialised(w);
    }
}

std::string CEncoderDlg::ControlText(int id) const {
    QWidget* w = Control(id);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return mk::FromQ(combo->currentText());
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        return mk::FromQ(line->text());
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        return mk::FromQ(plain->toPlainText());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return mk::FromQ(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return mk::FromQ(label->text());
    }
    return {};
}

void CEncoderDlg::EnableControl(int id, bool enable) {
    if (QWidget* w = Control(id)) {
        w->setEnabled(enable);
    }
}

bool CEncoderDlg::IsControlEnabled(int id) const {
    QWidget* w = Control(id);
    return w != nullptr && w->isEnabled();
}

bool CEncoderDlg::UpdateData(bool bSaveAndValidate) {
    DoDataExchange(bSaveAndValidate);
    return true;
}

void CEncoderDlg::DoDataExchange(bool bSaveAndValidate) {
    m_inDataExchange = true;
    if (m_firstExchange) {
        m_ctlAviSynth = qobject_cast<QCheckBox*>(Control(IDC_USE_AVISYNTH));
    }
    for (const auto& row : mk::FieldTable()) {
        if (row.text != nullptr && bSaveAndValidate) {
            this->*row.text = ControlText(row.control);
        } else if (row.text != nullptr) {
            SetControlText(row.control, this->*row.text);
        } else if (auto* box = qobject_cast<QCheckBox*>(Control(row.control)); row.check) {
            if (bSaveAndValidate) {
                this->*row.check = box->isChecked() ? 1 : 0;
            } else {
                box->setChecked(this->*row.check != 0);
            }
        }
    }
    m_firstExchange = false;
    m_inDataExchange = false;
}

bool CEncoderDlg::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_initialised = true;
    // Fill the combo lists, then show every field in its control.
    for (const auto& row : mk::FieldTable()) {
        for (auto item : row.items) {
            qobject_cast<QComboBox*>(Control(row.control))->addItem(mk::ToQ(item));
        }
    }
    UpdateData(false);
    // The about command lives in the "?" menu (see the menu table); its text is string 101.
    // The icon goes to the window system once the form is on the screen: decoding its images is
    // no part of the way there. The console, editor and help windows take it from the
    // application.
    mk::OnFirstExpose(*this, [this] {
        QTimer::singleShot(0, this, [this] {
            setWindowIcon(m_hIcon);
            QApplication::setWindowIcon(m_hIcon);
        });
    });
    RestoreLanguage();
    // The captions are fitted once, in the language they show in.
    m_captionsFitted = true;
    for (auto [id, w] : m_controls) {
        FitCaption(w);
    }
    // Applying a language rewrites the Presetting item without its mark, so it is set afterwards.
    MenuAction(ID_OPTIONS_PRESETTING)->setChecked(true);
    return true;
}

void CEncoderDlg::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CEncoderDlg::OnSysCommand(unsigned nID, long /*lParam*/) {
    if ((nID & ~0xFu) == static_cast<unsigned>(IDM_ABOUTBOX)) {
        CAboutDlg about(m_hIcon, this);
        about.exec();
    }
    // Other system commands (minimize, move, close) are the window manager's.
}

void CEncoderDlg::OnReadForm() {
    UpdateData(true);
}

void CEncoderDlg::reject() {
    QDialog::reject();
}

void CEncoderDlg::accept() {}

void CEncoderDlg::ApplyChanges(const mk::ControlChanges& changes) {
    for (const auto& c : changes) {
        const int id = mk::RowOf(c.field).control;
        switch (c.kind) {
            case mk::ChangeKind::Enable:
                EnableControl(id, true);
                break;
            case mk::ChangeKind::Disable:
                EnableControl(id, false);
                break;
            case mk::ChangeKind::SetText:
                SetControlText(id, c.text);
                break;
            case mk::ChangeKind::ClearAviSynthCheck:
                if (m_ctlAviSynth != nullptr) {
                    m_ctlAviSynth->setChecked(false);
                }
                break;
            case mk::ChangeKind::FileMissingBox:
                m_desktop.ShowMessage(c.text, "File Missing", mk::MessageIcon::Stop);
                break;
        }
    }
}
