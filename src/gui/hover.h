// The read-out under the mouse: for the cell under it, where it is, how far and in
// which direction its paths run, what the screen shows there and what the model
// computes there with the constants in force. The model of a screen is computed once,
// off the GUI thread, so that each hover only traces two paths.
#pragma once

#include <QObject>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "files/replay.h"
#include "map/map_place.h"
#include "model/model.h"

namespace skywave::gui {

class HoverModel : public QObject {
    Q_OBJECT
public:
    ~HoverModel() override;

    // Starts the model of a screen: the settings in force (constants, grain) with the
    // conditions its header names; nothing when the header lacks them.
    void prepare(const RunSettings& settings, const ReplayScreen& screen);
    // Forgets the screen (a file closed, another opened).
    void forget();
    // The model of the screen prepared last, once computed.
    std::shared_ptr<Model> model() const;

    // The read-out of the cell for the screen in the view; the levels are named by the
    // constants in force.
    std::string read_out(const MapPlace& place, const ReplayScreen& screen, const ViewState& view,
                         const Constants& in_force) const;

signals:
    void ready();

private:
    void wait();
    std::thread thread_;
    mutable std::mutex mutex_;
    std::shared_ptr<Model> model_;
    long generation_ = 0;
};

}  // namespace skywave::gui
