// RunSettingsDialog: the run settings "Initialize User Data". The fields are filled and
// read back by the engine's run-settings logic; this file only lays them out.
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs.h"

#include "model/maidenhead.h"

namespace skywave::gui {

namespace {

// The field ids of the dialog, as the fields of the engine's record.
struct FieldId {
    int id;
    std::string SettingsFields::*field;
};

constexpr FieldId kFields[] = {
    {221, &SettingsFields::start_month}, {222, &SettingsFields::start_day},
    {210, &SettingsFields::start_hour},  {211, &SettingsFields::start_min},
    {223, &SettingsFields::stop_month},  {224, &SettingsFields::stop_day},
    {212, &SettingsFields::stop_hour},   {213, &SettingsFields::stop_min},
    {225, &SettingsFields::step_month},  {226, &SettingsFields::step_day},
    {214, &SettingsFields::step_hour},   {215, &SettingsFields::step_min},
    {200, &SettingsFields::lat_deg},     {201, &SettingsFields::lat_min},
    {202, &SettingsFields::lat_sec},     {203, &SettingsFields::lat_hemi},
    {204, &SettingsFields::lon_deg},     {205, &SettingsFields::lon_min},
    {206, &SettingsFields::lon_sec},     {207, &SettingsFields::lon_hemi},
    {230, &SettingsFields::flux},        {231, &SettingsFields::a_index},
    {232, &SettingsFields::k_index},     {250, &SettingsFields::grain},
    {260, &SettingsFields::file_name},
};

QLabel* heading(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A grid of rows of four fields under column headings.
void add_row(QGridLayout* grid, int row, const char* label,
             std::initializer_list<QLineEdit*> fields) {
    grid->addWidget(new QLabel(QString::fromUtf8(label)), row, 0);
    int col = 1;
    for (QLineEdit* f : fields)
        grid->addWidget(f, row, col++);
}

void add_headings(QGridLayout* grid, int row, std::initializer_list<const char*> texts) {
    int col = 1;
    for (const char* t : texts)
        grid->addWidget(heading(t), row, col++);
}

}  // namespace

RunSettingsDialog::RunSettingsDialog(QWidget* parent, SettingsRecord& data, DialogProvider& dialogs,
                                     std::string* confirmed)
    : QDialog(parent), record_(&data), confirmed_(confirmed), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Initialize User Data"));
    setObjectName(QStringLiteral("INIT_DIALOG"));

    auto* times_box = new QGroupBox;
    auto* times = new QGridLayout(times_box);
    add_headings(times, 0, {"Mon", "Day", "Hour", "Min"});
    add_row(times, 1, "Start",
            {add_field(221, 2), add_field(222, 2), add_field(210, 2), add_field(211, 2)});
    add_row(times, 2, "Stop",
            {add_field(223, 2), add_field(224, 2), add_field(212, 2), add_field(213, 2)});
    add_row(times, 3, "Step",
            {add_field(225, 2), add_field(226, 2), add_field(214, 2), add_field(215, 2)});

    auto* place_box = new QGroupBox;
    auto* place = new QGridLayout(place_box);
    add_headings(place, 0, {"Deg", "Min", "Sec", "N/S"});
    add_row(place, 1, "Lat",
            {add_field(200, 3), add_field(201, 2), add_field(202, 2), add_field(203, 1)});
    add_headings(place, 2, {"Deg", "Min", "Sec", "W/E"});
    add_row(place, 3, "Lon",
            {add_field(204, 3), add_field(205, 2), add_field(206, 2), add_field(207, 1)});
    // Beside them, the QTH as hams give it: a locator typed here fills them.
    locator_ = new QLineEdit;
    locator_->setObjectName(QStringLiteral("locator"));
    locator_->setMaxLength(8);
    place->addWidget(new QLabel(QStringLiteral("Locator")), 4, 0);
    place->addWidget(locator_, 4, 1, 1, 2);
    connect(locator_, &QLineEdit::textEdited, this, &RunSettingsDialog::fill_from_locator);

    auto* solar_box = new QGroupBox;
    auto* solar = new QGridLayout(solar_box);
    solar->addWidget(new QLabel(QStringLiteral("Solar Flux")), 0, 0);
    solar->addWidget(add_field(230, 3), 0, 1);
    solar->addWidget(new QLabel(QStringLiteral("A Index")), 1, 0);
    solar->addWidget(add_field(231, 3), 1, 1);
    solar->addWidget(new QLabel(QStringLiteral("K Index")), 2, 0);
    solar->addWidget(add_field(232, 3), 2, 1);

    auto* grain_box = new QGroupBox;
    auto* grain = new QGridLayout(grain_box);
    grain->addWidget(new QLabel(QStringLiteral("Grain")), 0, 0);
    grain->addWidget(add_field(250, 1), 0, 1);
    grain->addWidget(new QLabel(QStringLiteral("1 = 37x80")), 0, 2);
    grain->addWidget(new QLabel(QStringLiteral("2 = 24x40")), 1, 2);
    grain->addWidget(new QLabel(QStringLiteral("3 = 13x20")), 2, 2);

    auto* file_row = new QHBoxLayout;
    file_row->addWidget(new QLabel(QStringLiteral("File")));
    file_row->addWidget(add_field(260, 36), 1);
    auto* browse = new QPushButton(QStringLiteral("Browse"));
    browse->setObjectName(QStringLiteral("button261"));
    browse->setAutoDefault(false);
    file_row->addWidget(browse);

    ok_ = new QPushButton(QStringLiteral("OK"));
    ok_->setObjectName(QStringLiteral("button1"));
    ok_->setDefault(true);
    auto* today = new QPushButton(QStringLiteral("Today"));
    today->setObjectName(QStringLiteral("button220"));
    auto* one_day = new QPushButton(QStringLiteral("24 Hours"));
    one_day->setObjectName(QStringLiteral("button216"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("button2"));
    for (QPushButton* b : {today, one_day, cancel})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {ok_, today, one_day, cancel})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto* upper = new QHBoxLayout;
    upper->addWidget(times_box);
    upper->addWidget(place_box);
    auto* lower = new QHBoxLayout;
    lower->addWidget(solar_box);
    lower->addWidget(grain_box, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(upper);
    all->addLayout(lower);
    all->addLayout(file_row);
    all->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &RunSettingsDialog::ok);
    connect(cancel, &QPushButton::clicked, this, &RunSettingsDialog::cancel);
    connect(today, &QPushButton::clicked, this, &RunSettingsDialog::fill_today);
    connect(one_day, &QPushButton::clicked, this, &RunSettingsDialog::fill_whole_day);
    connect(browse, &QPushButton::clicked, this, &RunSettingsDialog::browse);
    fill();
}

QLineEdit* RunSettingsDialog::add_field(int id, int chars) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QStringLiteral("field%1").arg(id));
    const QFontMetrics fm(edit->font());
    if (id != 260)
        edit->setFixedWidth(fm.horizontalAdvance(QString(chars + 1, QLatin1Char('0'))) + 12);
    fields_[id] = edit;
    return edit;
}

QLineEdit* RunSettingsDialog::Field(int id) const {
    const auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

SettingsFields RunSettingsDialog::read_fields() const {
    SettingsFields f;
    for (const FieldId& fid : kFields)
        f.*fid.field = Field(fid.id)->text().toStdString();
    // The file as the system names it: the name shown, while nobody changed it, keeps
    // the bytes of a name that is not UTF-8.
    const QString file = Field(260)->text();
    f.file_name = file == shown_file_text_ ? shown_file_ : file_name_of(file);
    return f;
}

void RunSettingsDialog::show_file(const std::string& name) {
    shown_file_ = name;
    shown_file_text_ = to_qstring(name);
    Field(260)->setText(shown_file_text_);
}

void RunSettingsDialog::write_fields(const SettingsFields& f) {
    for (const FieldId& fid : kFields)
        Field(fid.id)->setText(QString::fromStdString(f.*fid.field));
    show_file(f.file_name);
}

// Rewrites only the fields with the given ids.
void RunSettingsDialog::write_fields(const SettingsFields& f, std::initializer_list<int> ids) {
    for (const FieldId& fid : kFields)
        if (std::find(ids.begin(), ids.end(), fid.id) != ids.end())
            Field(fid.id)->setText(QString::fromStdString(f.*fid.field));
}

void RunSettingsDialog::fill() {
    write_fields(skywave::fill_fields(*record_));
    const double east = record_->Lon > 180 ? 360 - double(record_->Lon) : -double(record_->Lon);
    locator_->setText(QString::fromStdString(locator_of(LatLon{record_->Lat, east}, 6)));
}

// A whole locator (4, 6 or 8 characters) puts its square's centre into the latitude
// and longitude fields, to the nearest second; a part of one changes nothing yet.
void RunSettingsDialog::fill_from_locator() {
    SettingsFields f = read_fields();
    if (!set_location_from_locator(f, locator_->text().trimmed().toStdString())) return;
    write_fields(f, {200, 201, 202, 203, 204, 205, 206, 207});
}

void RunSettingsDialog::ok() {
    DialogMessages messages(dialogs_, this, MessageIcon::stop);
    // A failing group has shown its message; the dialog stays open for corrections.
    if (skywave::accept_fields(read_fields(), *record_, messages)) accept();
}

void RunSettingsDialog::cancel() {
    record_->accepted = false;
    QDialog::reject();
}

void RunSettingsDialog::reject() {
    cancel();
}

void RunSettingsDialog::fill_today() {
    SettingsFields f = read_fields();
    skywave::set_today(f);
    write_fields(f, {221, 222, 223, 224, 225, 226});
    ok_->setFocus();
}

void RunSettingsDialog::fill_whole_day() {
    SettingsFields f = read_fields();
    skywave::set_whole_day(f);
    write_fields(f, {210, 211, 212, 213, 214, 215});
    ok_->setFocus();
}

// The save dialog asks before an existing file is chosen, so the run need not ask again.
void RunSettingsDialog::browse() {
    if (const auto name =
            dialogs_.file_name(this, prediction_file_request(FileRequest::save, true))) {
        show_file(*name);
        if (confirmed_) *confirmed_ = *name;
        ok_->setFocus();
    }
}

}  // namespace skywave::gui
