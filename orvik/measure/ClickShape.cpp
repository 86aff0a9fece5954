#include "ClickShape.h"

#include <algorithm>

int CClickShape::OnLButtonDown(UINT, int x, int y, int tool) {
    if (PressDeletesOrGrabs(x, y, tool)) return kHitNone;
    m_grabbed = tool == kToolMove && m_hit != kHitNone;
    if (tool == m_type) {
        // The layer hands a press with this tool to the shape under
        // construction; the vertex itself is placed at the release.
        m_hit = m_clicks;
        m_selected = true;
        if (m_clicks == 0) {
            m_active = true;
            m_rubber = CPoint(x, y);
        }
    }
    Invalidate();
    return m_hit;
}

int CClickShape::OnLButtonUp(UINT, int x, int y, int tool) {
    Invalidate();
    // Every release reaches every shape: only the shape under construction
    // takes the vertex, so an unfinished one left behind by another tool is
    // never completed with a newer shape's clicks.
    if (tool == m_type && m_active) {
        if (TakesMoreVertices()) AddOneCoord(x, y);
        ++m_clicks;
        m_selected = false;
        if (FinalVertexCount() && m_clicks >= FinalVertexCount()) {
            m_active = false;
            m_hit = kHitNone;
        }
    } else if (tool == kToolMove) {
        m_active = false;
    }
    m_grabbed = false;
    RepaintAfterRelease();
    return kHitNone;
}

int CClickShape::OnMouseMove(UINT, int x, int y, int tool) {
    if (!m_active) return m_hit;
    Invalidate();
    if (tool == m_type && TakesMoreVertices()) {
        m_hit = std::max(m_clicks - 1, 0);
        m_rubber = CPoint(x, y);
    } else if (tool == kToolMove && m_grabbed) {
        if (m_hit != kHitNone && m_hit != kHitBody && GetCoordCount() > 0) SetCoord(m_hit, x, y);
        MoveBody(x, y);
    }
    m_selected = true;
    Invalidate();
    return m_hit;
}

CRect CClickShape::BuildingBox() const {
    CRect r = m_coords.empty() ? CRect(m_rubber, m_rubber) : VertexBox();
    if (TakesMoreVertices()) ExtendBox(r, m_rubber);
    return r;
}
