// Array examination. After a step with Enable Exam Calc Arrays checked, the run waits
// on its thread while the GUI thread has the model: the user picks an array, the map
// shows it in ten colours with its legend, Exam Another Array asks again, and Cancel
// lets the run go on.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "commands.h"
#include "control_bar.h"
#include "map/legend.h"
#include "map/map_resources.h"
#include "map_window.h"

namespace skywave::gui {

void MapWindow::ExamineArrays() {
    if (destroyed_ || worker_.closing()) {
        hooks_.release_examination();
        return;
    }
    array_choice_ = ArrayData{0, 1};
    examining_ = true;
    bars_->StartExamine();
    update_commands();
    show_array();
}

// One round of the selection: the list, then either an array on the map (which stays
// until Exam Another Array) or, after Cancel, the end of the examination. "other"
// shows the step's scalar values and asks again at once.
void MapWindow::show_array() {
    for (;;) {
        dialogs_.array_dialog(this, array_choice_);
        if (!examining_) return;  // the window was closed meanwhile
        if (!array_choice_.accepted) {
            end_examination();
            return;
        }
        if (select_exam_array(m_, array_choice_.Select, exam_)) break;
        dialogs_.message(this, misc_values(m_), "Misc Values");
    }
    DrawArray();
}

void MapWindow::examine_next() {
    if (!examining_) return;
    show_array();
}

void MapWindow::end_examination() {
    examining_ = false;
    if (bars_) bars_->StopExamine();
    update_commands();
    update();  // the shown part of the picture no longer includes the legend
    hooks_.release_examination();
}

void MapWindow::DrawArray() {
    if (!examining_) {
        const Surface& world = map_resources().world;
        s_.Working.blit(0, 0, kMapWidth, kMapHeight, world, 0, 0, RasterOp::copy);
        if (info_) info_->clear();
        update();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string title = skywave::DrawArray(s_, m_, exam_, bars_->View(), legend_);
    draw_legend();
    bars_->SetTitle(title);
    if (info_) {
        info_->set_caption(title);
        info_->show_array_levels(array_level_texts(exam_));
        info_->set_screens(0, 0);
    }
    update();
    QApplication::restoreOverrideCursor();
}

// "Spectrum" and the range below the colour scale: white on black in the Working font,
// 40 pixels high and squeezed to 12 pixels a character, so the range fits the map.
void MapWindow::draw_legend() {
    QImage image(reinterpret_cast<uchar*>(s_.Working.data()), s_.Working.width(),
                 s_.Working.height(), s_.Working.width() * 4, QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(working_font_);
    const QFontMetrics fm(working_font_);
    for (const auto& [text, y] :
         {std::pair{legend_.spectrum, 370}, std::pair{legend_.range, 405}}) {
        const QString t = QString::fromStdString(text);
        const int advance = fm.horizontalAdvance(t);
        if (advance <= 0) continue;
        p.save();
        p.translate(20, y);
        p.scale(12.0 * t.size() / advance, 1.0);
        const QRect box(0, 0, advance, fm.height());
        p.fillRect(box, Qt::black);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, t);
        p.restore();
    }
}

}  // namespace skywave::gui
