#include "map_info.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

#include "dialog_provider.h"
#include "map/map_resources.h"

namespace skywave::gui {

// The swatches and their texts, painted with the map's own tiles.
class LegendView : public QWidget {
public:
    explicit LegendView(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setMinimumWidth(1);
        fit();
    }
    struct Entry {
        std::vector<const Surface*> swatches;  // a tile each, drawn as it shows
        std::vector<Surface> owned;            // tiles made here (the land shades)
        std::string text;
    };
    void set(std::vector<Entry> entries, std::string note) {
        entries_ = std::move(entries);
        note_ = std::move(note);
        fit();
        update();
    }
    const std::vector<Entry>& entries() const { return entries_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        int y = 0;
        place(width(), [&](const Entry& e, int x, int row) {
            y = row * kRow;
            for (const Surface* s : e.swatches) {
                const QImage tile(reinterpret_cast<const uchar*>(s->data()), s->width(),
                                  s->height(), s->width() * 4, QImage::Format_RGB32);
                p.drawImage(QRect(x, y + 3, kSwatch, kSwatch), tile, QRect(0, 0, kSwatch, kSwatch));
                p.setPen(palette().color(QPalette::WindowText));
                p.drawRect(x, y + 3, kSwatch - 1, kSwatch - 1);
                x += kSwatch + 2;
            }
            p.drawText(QRect(x + 2, y, width() - x, kRow), Qt::AlignLeft | Qt::AlignVCenter,
                       to_qstring(e.text));
        });
        if (!note_.empty())
            p.drawText(QRect(4, y + kRow, width() - 8, kRow), Qt::AlignLeft | Qt::AlignVCenter,
                       to_qstring(note_));
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        fit();
    }

private:
    static constexpr int kSwatch = 14, kRow = 20;

    // Lays the entries out in rows of the given width, wrapping rather than cutting a
    // text off; calls draw(entry, x, row) for each. Returns the rows used.
    template <class Draw>
    int place(int width, Draw&& draw) const {
        int x = 4, row = 0;
        for (const Entry& e : entries_) {
            const int need = int(e.swatches.size()) * (kSwatch + 2) +
                             fontMetrics().horizontalAdvance(to_qstring(e.text)) + 16;
            if (x > 4 && x + need > width) {
                x = 4;
                ++row;
            }
            draw(e, x, row);
            x += need;
        }
        return entries_.empty() ? 0 : row + 1;
    }
    void fit() {
        const int rows = place(std::max(width(), 200), [](const Entry&, int, int) {});
        setFixedHeight((rows + (note_.empty() ? 0 : 1)) * kRow + 2);
    }

    std::vector<Entry> entries_;
    std::string note_;
};

MapInfo::MapInfo(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MapInfo"));
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("caption"));
    caption_->setTextFormat(Qt::PlainText);
    // The strip never makes the window wider than the user wants it.
    caption_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption_->setMinimumWidth(1);
    legend_ = new LegendView(this);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("screens"));
    slider_->setToolTip(QStringLiteral("Screens of the file"));
    slider_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    layout->addWidget(caption_);
    layout->addWidget(legend_);
    layout->addWidget(slider_);
    connect(slider_, &QSlider::valueChanged, this, [this](int n) { emit screen_chosen(n); });
}

void MapInfo::set_caption(const std::string& text) {
    caption_->setText(to_qstring(text));
}

QString MapInfo::caption() const {
    return caption_->text();
}

void MapInfo::show_levels(const std::array<std::string, 3>& texts, const ViewState& view) {
    const MapResources& res = map_resources();
    std::vector<LegendView::Entry> entries;
    for (int level = 0; level < 3; ++level) {
        LegendView::Entry e;
        e.owned.reserve(2);
        // Solid for the short path, chequered for the long one; the land's grey turns
        // each into its darker shade, as the map combines them.
        for (int tile : {1 + level, 4 + level}) {
            if ((tile <= 3 && !view.short_path) || (tile > 3 && !view.long_path)) continue;
            e.swatches.push_back(&res.DrawBitmap[std::size_t(tile)]);
        }
        Surface land(kTileSize, kTileSize, rgb(128, 128, 128));
        land.blit(0, 0, kTileSize, kTileSize, res.DrawBitmap[std::size_t(1 + level)], 0, 0,
                  RasterOp::xor_);
        e.owned.push_back(land);
        e.text = texts[std::size_t(level)];
        entries.push_back(std::move(e));
    }
    // The land shades point into the entries' own storage once it no longer moves.
    for (LegendView::Entry& e : entries)
        e.swatches.push_back(&e.owned.front());
    legend_->set(std::move(entries),
                 "solid: short path, chequered: long path; the last shade: over land");
}

void MapInfo::show_array_levels(const std::array<std::string, 10>& texts) {
    const MapResources& res = map_resources();
    std::vector<LegendView::Entry> entries;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        LegendView::Entry e;
        e.swatches.push_back(&res.ExamBitmap[i]);
        e.text = texts[i];
        entries.push_back(std::move(e));
    }
    legend_->set(std::move(entries), "");
}

void MapInfo::clear() {
    caption_->clear();
    legend_->set({}, "");
    slider_->hide();
}

void MapInfo::set_screens(int number, int screens) {
    const QSignalBlocker quiet(slider_);
    slider_->setVisible(screens > 1);
    slider_->setRange(1, std::max(1, screens));
    slider_->setValue(number);
}

std::vector<std::string> MapInfo::legend_texts() const {
    std::vector<std::string> texts;
    for (const LegendView::Entry& e : legend_->entries())
        texts.push_back(e.text);
    return texts;
}

}  // namespace skywave::gui
