// ArrayDialog, AutoCycleDialog and AboutDialog.
#include "dialogs.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <limits>

#include "button_faces.h"
#include "model/result_arrays.h"

namespace skywave::gui {

namespace {

// OK (1) and Cancel (2), OK the default.
QDialogButtonBox* ok_cancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("button1"));
    box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("button2"));
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    return box;
}

}  // namespace

ArrayDialog::ArrayDialog(QWidget* parent, ArrayData& data, DialogProvider& dialogs)
    : QDialog(parent), choice_(&data), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Select Array To View"));
    setObjectName(QStringLiteral("ARRAY_DIALOG"));
    ListBox = new QListWidget;
    ListBox->setObjectName(QStringLiteral("list400"));
    ListBox->setSortingEnabled(false);  // list row = table row
    ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const disp_array& d : disp_arrays)
        ListBox->addItem(QString::fromUtf8(d.title));
    if (ListBox->count() != kDispArrayCount)
        dialogs_.message(this, "ERROR adding string to list", "ERROR");
    ListBox->setCurrentRow(-1);  // no entry preselected
    ListBox->clearSelection();
    ListBox->setMinimumHeight(ListBox->sizeHintForRow(0) * 16);

    QDialogButtonBox* buttons = ok_cancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox);
    layout->addWidget(buttons);
    connect(ListBox, &QListWidget::itemSelectionChanged, this, &ArrayDialog::select_current);
    connect(ListBox, &QListWidget::itemDoubleClicked, this, &ArrayDialog::choose_clicked);
    connect(buttons, &QDialogButtonBox::accepted, this, &ArrayDialog::ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &ArrayDialog::cancel);
    ListBox->setFocus();
}

void ArrayDialog::select_current() {
    const QList<QListWidgetItem*> selected = ListBox->selectedItems();
    choice_->Select = selected.isEmpty() ? -1 : ListBox->row(selected.first());
}

void ArrayDialog::choose_clicked() {
    select_current();
    ok();
}

void ArrayDialog::ok() {
    if (choice_->Select < 0) {
        dialogs_.message(this, "Array Data not readable.", "ARRAY DATA ERROR!", MessageIcon::stop);
        return;
    }
    choice_->accepted = true;
    accept();
}

void ArrayDialog::cancel() {
    choice_->accepted = false;
    QDialog::reject();
}

void ArrayDialog::reject() {
    cancel();
}

AutoCycleDialog::AutoCycleDialog(QWidget* parent, AutoData& data, DialogProvider& dialogs)
    : QDialog(parent), period_(&data), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Auto Cycle Time"));
    setObjectName(QStringLiteral("AUTODIAL"));
    seconds_ = new QLineEdit(QString::number(data.Seconds));
    seconds_->setObjectName(QStringLiteral("field240"));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Seconds")));
    row->addWidget(seconds_);
    QDialogButtonBox* buttons = ok_cancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &AutoCycleDialog::ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &AutoCycleDialog::cancel);
    // The period is what the dialog is for: ready to be typed over.
    seconds_->setFocus();
    seconds_->selectAll();
}

void AutoCycleDialog::ok() {
    // A period is a whole number of seconds, 0 or more, that the count-down can show; a
    // negative or larger one is refused like any other unreadable text.
    bool ok = false;
    const long long value = seconds_->text().trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > std::numeric_limits<int>::max()) {
        dialogs_.message(this, "Auto Data not readable.", "AUTO DATA ERROR!", MessageIcon::stop);
        return;
    }
    period_->Seconds = unsigned(value);
    period_->accepted = true;
    accept();
}

void AutoCycleDialog::cancel() {
    period_->accepted = false;
    QDialog::reject();
}

void AutoCycleDialog::reject() {
    cancel();
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ABOUT MOF"));
    setObjectName(QStringLiteral("ABOUT"));
    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(program_icon_pixmap(64));
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("QX9Z MOF/LOF Predictor")));
    texts->addWidget(new QLabel(QStringLiteral("Windows Version 2.2")));
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addLayout(texts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons, 0, Qt::AlignCenter);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

GuideDialog::GuideDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("skywave Guide"));
    setObjectName(QStringLiteral("GUIDE"));
    browser_ = new QTextBrowser;
    QFile file(QStringLiteral(":/skywave/guide.html"));
    if (file.open(QIODevice::ReadOnly)) browser_->setHtml(QString::fromUtf8(file.readAll()));
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(720, 560);
}

QString GuideDialog::text() const {
    return browser_->toPlainText();
}

}  // namespace skywave::gui
