#include "DragShape.h"

int CDragShape::OnLButtonDown(UINT, int x, int y, int tool) {
    if (PressDeletesOrGrabs(x, y, tool)) return kHitNone;
    if (tool == m_type) CreateAt(x, y);
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
