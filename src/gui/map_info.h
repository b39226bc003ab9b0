// MapInfo: the strip under the map that says what it shows — a caption of the screen
// (date, time, indices, QTH, lines, screen n of N), the legend of the colours in
// force, and a slider over the screens. It sits beside the map's picture, never on it.
#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "map/map_view.h"

class QLabel;
class QSlider;

namespace skywave::gui {

class LegendView;

class MapInfo : public QWidget {
    Q_OBJECT
public:
    explicit MapInfo(QWidget* parent = nullptr);

    void set_caption(const std::string& text);
    // The three bands of the lines in view, solid and chequered, and over land.
    void show_levels(const std::array<std::string, 3>& texts, const ViewState& view);
    // The ten levels of an examined array.
    void show_array_levels(const std::array<std::string, 10>& texts);
    // No picture with a meaning: no legend, no slider.
    void clear();
    // The slider over the screens of the file replayed (none without one).
    void set_screens(int number, int screens);

    QString caption() const;
    // The legend's texts, in order, as shown.
    std::vector<std::string> legend_texts() const;
    QSlider* slider() const { return slider_; }

signals:
    // The user moved the slider to screen n (from 1).
    void screen_chosen(int n);

private:
    QLabel* caption_;
    LegendView* legend_;
    QSlider* slider_;
};

}  // namespace skywave::gui
