#include "board/Screens.h"

#include <algorithm>
#include <tuple>

namespace screens {
namespace {

long long Overlap(const Rect& a, const Rect& b) {
    const long long w = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const long long h = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

int PrimaryOf(const std::vector<Monitor>& monitors) {
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i].primary) return static_cast<int>(i);
    }
    return monitors.empty() ? -1 : 0;
}

long long Distance(long long a, long long b) { return a > b ? a - b : b - a; }

}  // namespace

int MonitorUnder(const std::vector<Monitor>& monitors, const Rect& r) {
    int best = -1;
    long long most = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const long long area = Overlap(monitors[i].rect, r);
        if (area > most) best = static_cast<int>(i), most = area;
    }
    return best;
}

int ExtendedMonitor(const std::vector<Monitor>& monitors, const Rect& board) {
    const int primary = PrimaryOf(monitors);
    std::vector<Monitor> others;
    std::vector<int> index;
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (static_cast<int>(i) == primary) continue;
        others.push_back(monitors[i]);
        index.push_back(static_cast<int>(i));
    }
    if (others.empty()) return -1;
    const int under = MonitorUnder(others, board);
    if (under >= 0) return index[under];
    // To the right: the smallest gap after the primary's right edge, then
    // the top nearest the primary's.
    const Rect& p = monitors[primary].rect;
    int right = -1;
    std::tuple<long long, long long> nearest;
    for (size_t i = 0; i < others.size(); ++i) {
        const Rect& m = others[i].rect;
        if (m.left < p.right) continue;
        const auto key = std::make_tuple(static_cast<long long>(m.left) - p.right, Distance(m.top, p.top));
        if (right < 0 || key < nearest) right = static_cast<int>(i), nearest = key;
    }
    return index[right >= 0 ? right : 0];
}

Rect SecondScreenRect(const std::vector<Monitor>& monitors, const Rect& board, int primaryWidth, int width,
                      int height) {
    const int tv = ExtendedMonitor(monitors, board);
    if (tv < 0) return placement::BoardRectAt(primaryWidth, 0, width, height);
    return placement::BoardRectAt(monitors[tv].rect.left, monitors[tv].rect.top, width, height);
}

Watch::Step Watch::Check(const std::vector<Monitor>& monitors, const Rect& window, bool visible, bool mayShow) {
    if (monitors.empty()) return {};
    if (m_dark) {
        const int tv = mayShow ? ExtendedMonitor(monitors, m_place) : -1;
        if (tv < 0) return {};
        const Rect& m = monitors[tv].rect;
        if (Overlap(m_place, m) == 0) {
            m_place = placement::BoardRectAt(m.left, m.top, placement::SaturatingAdd(m_place.right, -m_place.left),
                                             placement::SaturatingAdd(m_place.bottom, -m_place.top));
        }
        m_dark = false;
        return {Action::Return, m_place};
    }
    if (!visible) return {};
    // The monitor the board was on has gone, whether the board still
    // stands where it was (Wine) or the system moved it (Windows).
    if (m_onExtended && MonitorUnder(monitors, m_place) < 0) {
        m_dark = true;
        return {Action::Hide, m_place};
    }
    const int under = MonitorUnder(monitors, window);
    if (under >= 0) {
        m_place = window;
        m_onExtended = !monitors[under].primary;
    }
    return {};
}

}  // namespace screens
