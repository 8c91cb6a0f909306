#include "editor/form1.h"

#include "editor/editorcommands.h"
#include "editor/form1layout.h"
#include "editor/messagebox.h"
#include "editor/singlelinevalidator.h"
#include "linkstore/linkfile.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace tovren {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect pixelRect(const ControlLayout& control) {
    return {twipsToPixels(control.left), twipsToPixels(control.top), twipsToPixels(control.width),
            twipsToPixels(control.height)};
}

QString captionOf(std::string_view labelName) {
    return toQString(form1Layout.controls[controlIndex(labelName)].caption);
}

// The smallest point size the window's font is shrunk to, so that text stays legible.
constexpr qreal smallestPointSize = 6.0;

// Whether every caption fits on one line in its control, and a line of text in a field.
bool fontFits(const QFont& font) {
    const QFontMetrics metrics(font);
    for (const ControlLayout& control : form1Layout.controls) {
        const QRect box = pixelRect(control);
        const int textHeight =
            control.kind == ControlKind::TextField ? metrics.height() + 4 : metrics.height();
        if (metrics.horizontalAdvance(toQString(control.caption)) > box.width() ||
            textHeight > box.height()) {
            return false;
        }
    }
    return true;
}

// The platform's default font, made smaller where it is too large for the layout, as fonts of
// many desktops are: otherwise captions such as "Going Right!" would be cut off.
QFont fittingFont(QFont font) {
    while (!fontFits(font) && font.pointSizeF() - 0.5 >= smallestPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    return font;
}

// Qt exposes a plain top-level widget to assistive tools as an anonymous filler; Form1 is
// exposed as what it is, a window, named by its title.
QAccessibleInterface* accessibleForm1(const QString& /*className*/, QObject* object) {
    auto* window = qobject_cast<Form1*>(object);
    return window != nullptr ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

Form1::Form1(QString messageTitle, ClickDelivery deliverClick, QWidget* parent)
    : QWidget(parent), messageTitle_(std::move(messageTitle)),
      deliverClick_(std::move(deliverClick)) {
    static const bool accessibleAsWindow = (QAccessible::installFactory(accessibleForm1), true);
    (void)accessibleAsWindow;
    setObjectName(toQString(form1Layout.name));
    setWindowTitle(toQString(form1Layout.caption));
    // The controls never move, so the window keeps its size: larger it would only be empty,
    // smaller it would hide controls. Without a maximise button; minimising stays.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // Kerning and ligatures are of no use in map names and captions, and shaping a long line for
    // them dominates the time to show it; scripts that need shaping to be legible still get it.
    QFont plainFont = font();
    plainFont.setStyleStrategy(QFont::PreferNoShaping);
    setFont(fittingFont(plainFont));
    setFixedSize(twipsToPixels(form1Layout.clientWidth), twipsToPixels(form1Layout.clientHeight));
    buildControls();
    connectButtons();
}

void Form1::buildControls() {
    // Created in the table's order, top to bottom, which is also the order in which assistive
    // tools read them; each field comes after the label it overlaps, and so is drawn above it.
    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (const ControlLayout& layout : form1Layout.controls) {
        QWidget* control = nullptr;
        switch (layout.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(toQString(layout.caption), this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop); // the field covers its lower part
            control = label;
            break;
        }
        case ControlKind::TextField: {
            auto* field = new QLineEdit(this);
            field->setMaxLength(std::numeric_limits<int>::max()); // no limit of its own
            field->setValidator(new SingleLineValidator(field));
            field->setAccessibleName(captionOf(layout.namedBy));
            if (!layout.describedBy.empty()) {
                field->setAccessibleDescription(captionOf(layout.describedBy));
            }
            fields_[static_cast<std::size_t>(*layout.field)] = field;
            control = field;
            break;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(toQString(layout.caption), this);
            button->setAutoDefault(true); // Enter clicks the button that has the focus
            (layout.command == ButtonCommand::Done ? done_ : load_) = button;
            control = button;
            break;
        }
        }
        control->setObjectName(toQString(layout.name));
        control->setGeometry(pixelRect(layout));
        if (layout.kind != ControlKind::Label) {
            focusOrder.emplace_back(layout.tabIndex, control);
        }
    }
    std::sort(focusOrder.begin(), focusOrder.end());
    for (std::size_t i = 1; i < focusOrder.size(); ++i) {
        setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    }
    focusOrder.front().second->setFocus(Qt::OtherFocusReason);
}

void Form1::connectButtons() {
    connect(done_, &QPushButton::clicked, this, [this] { click(runDoneCommand); });
    connect(load_, &QPushButton::clicked, this, [this] { click(runLoadCommand); });
}

void Form1::click(void (*command)(EditorView&, const std::string&)) {
    deliverClick_(*this, [this, command] {
        command(*this, linkDirectory_.empty() ? programDirectory() : linkDirectory_);
    });
}

void Form1::runClick(Form1& window, const std::function<void()>& command) {
    try {
        command();
    } catch (const FileFailure& failure) {
        window.showMessage(QMessageBox::Critical, QString::fromStdString(failure.description()));
    }
}

void Form1::setLinkDirectory(std::string directory) {
    linkDirectory_ = std::move(directory);
}

QLineEdit& Form1::lineEdit(EditorField field) const {
    return *fields_[static_cast<std::size_t>(field)];
}

std::string Form1::fieldText(EditorField field) const {
    return lineEdit(field).text().toStdString();
}

void Form1::setFieldText(EditorField field, const std::string& text) {
    // Load's lines go in as read: they hold no CR, and a lone LF is part of the line.
    QLineEdit& edit = lineEdit(field);
    const QString value = QString::fromStdString(text);
    static_cast<const SingleLineValidator*>(edit.validator())->acceptAsIs(value);
    edit.setText(value);
}

void Form1::showWarning(const std::string& message) {
    showMessage(QMessageBox::Warning, QString::fromStdString(message));
}

void Form1::showMessage(QMessageBox::Icon icon, const QString& text) {
    showMessageBox(*this, messageTitle_, icon, text);
}

void Form1::unloadWindow() {
    close();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Without a window manager nothing else gives the new window the keyboard focus.
    activateWindow();
}

} // namespace tovren
