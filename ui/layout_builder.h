#pragma once
// The record the layout steps write into: placements kept in first-placed order, a later
// placement of the same control replacing the earlier one. Internal to the layout.
#include "ui/apply_layout.h"

namespace korvane::layout_detail {

inline int Trunc(double v) { return static_cast<int>(v); }

class Builder {
public:
    explicit Builder(LayoutResult& result) : r_(result) {}

    ControlPlacement& Place(const QString& name, const QString& parent, const QRect& rect,
                            Sets sets = Sets::Bounds)
    {
        for (ControlPlacement& p : r_.placements) {
            if (p.name == name) {
                p.parent = parent;
                p.rect = rect;
                p.sets = sets;
                return p;
            }
        }
        r_.placements.push_back(ControlPlacement{name, parent, rect, sets, {}, {}});
        return r_.placements.back();
    }
    QRect Rect(const QString& name) const { return r_.Rect(name); }
    void Round(const QString& name, int corner) { r_.regions.push_back(RoundedRegion{name, corner}); }
    LayoutResult& result() { return r_; }

private:
    LayoutResult& r_;
};

// Step 11: the inside of the chart strip plCurve.
void LayoutChart(Builder& b, const LayoutInput& in, double scale);

} // namespace korvane::layout_detail
