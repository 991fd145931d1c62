// The surfaces between two consecutive profiles, shared by the road view
// (in perspective) and the crossroads view (in plan).
#pragma once

#include "core/model/road_model.h"

namespace kestrova {

inline const tProfileSegment* MatchSegmentCode(const tPlanProfile& p, int32_t code) {
    for (const auto& s : p.Segments)
        if (s.SegNo == code) return &s;
    return nullptr;
}

// Calls addQuad(kind, layer, a, b, c, d) for every quad between the near and the
// far profile: first the terrain quads (segment codes below 1000, matched by
// code, layer 0), then the vegetation and building boxes (codes of 1000 and
// more, matched by code unless both are covered): their first side and
// second side in layer 1, their top in layer 2, and after the second side the
// end face at the near profile in layer 3.
template <typename Emit>
void ForEachStripQuad(const tPlanProfile& nearP, const tPlanProfile& farP, Emit&& addQuad) {
    for (const auto& s : nearP.Segments) {
        if (s.SegNo >= 1000) continue;
        if (const tProfileSegment* m = MatchSegmentCode(farP, s.SegNo)) addQuad(s.Kind, 0, s.A, m->A, m->B, s.B);
    }
    tRoadPoint cornerA, cornerB;
    for (const auto& s : nearP.Segments) {
        if (s.SegNo < 1000) continue;
        const tProfileSegment* m = MatchSegmentCode(farP, s.SegNo);
        if (!m || (s.Covered && m->Covered)) continue;
        switch (s.SegNo % 10) {
            case 1:
                addQuad(s.Kind, 1, s.A, m->A, m->B, s.B);
                cornerA = s.A;
                break;
            case 2:
                addQuad(s.Kind, 2, s.A, m->A, m->B, s.B);
                cornerB = s.A;
                break;
            default:
                addQuad(s.Kind, 1, s.A, m->A, m->B, s.B);
                // The end face: first side's foot, top's start, this side's top and foot.
                addQuad(s.Kind, 3, cornerA, cornerB, s.A, s.B);
                break;
        }
    }
}

}  // namespace kestrova
