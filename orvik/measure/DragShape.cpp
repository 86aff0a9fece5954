#include "DragShape.h"

int CDragShape::OnLButtonDown(UINT, int x, int y, int tool) {
    m_hit = HitTest(x, y);
    if (tool == kToolDeleteOne) {
        // -1 either way, so the layer offers the press to the shapes below.
        if (m_selected || m_hit != kHitNone) Discard();
        return kHitNone;
    }
    if (tool == m_type) {
        CreateAt(x, y);
    } else if (tool == kToolMove) {
        if (m_hit != kHitNone) {
            m_selected = true;
            m_active = true;
            m_last = CPoint(x, y);
        } else {
            m_selected = false;
        }
    }
    Invalidate();
    return m_hit;
}

void CDragShape::CreateAt(int x, int y) {
    AddOneCoord(x, y);
    m_active = true;
    m_selected = true;
    m_hit = 0;
}

void CDragShape::MoveVertex(int hit, int x, int y) { SetCoord(hit, x, y); }

int CDragShape::OnMouseMove(UINT, int x, int y, int tool) {
    if (!m_active) return m_hit;
    if (tool == m_type && GetCoordCount() == 1) RubberBand(x, y);
    m_selected = true;
    Invalidate();
    if (m_hit != kHitNone && m_hit != kHitBody) MoveVertex(m_hit, x, y);
    MoveBody(x, y);
    Invalidate();
    return m_hit;
}

int CDragShape::OnLButtonUp(UINT, int, int, int tool) {
    Invalidate();
    m_active = false;
    m_hit = kHitNone;
    if (tool == m_type) m_selected = false;
    if (TooSmall()) Discard();   // deletes this
    return kHitNone;
}
