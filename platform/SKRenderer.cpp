#include "SKRenderer.hpp"

#include "SKScene.hpp"

#include <algorithm>

void SKRenderer::collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth)
{
    for (const auto& child : node.children()) {
        // A zero scale collapses the subtree (and would break cairo's matrix).
        if (child->isHidden() || child->xScale() == 0 || child->yScale() == 0) continue;
        double childAlpha = alpha * child->alpha();
        if (childAlpha <= 0) continue;
        cairo_matrix_t local;
        cairo_matrix_init(&local, child->xScale(), 0, 0, child->yScale(), child->position().x, child->position().y);
        cairo_matrix_t matrix;
        cairo_matrix_multiply(&matrix, &local, &parent);
        double childDepth = depth + child->zPosition();
        items_.push_back({child.get(), matrix, childAlpha, childDepth, static_cast<std::uint32_t>(items_.size())});
        collect(*child, matrix, childAlpha, childDepth);
    }
}

void SKRenderer::drawScene(const SKScene& scene, cairo_t* cr)
{
    cairo_save(cr);
    SKColor bg = scene.backgroundColor();
    cairo_set_source_rgba(cr, bg.red, bg.green, bg.blue, bg.alpha);
    cairo_rectangle(cr, 0, 0, scene.size().width, scene.size().height);
    cairo_fill(cr);

    cairo_matrix_t root;
    cairo_get_matrix(cr, &root);
    items_.clear();
    collect(scene, root, scene.alpha(), 0);
    std::sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
        return a.depth != b.depth ? a.depth < b.depth : a.order < b.order;
    });

    for (const Item& item : items_) {
        cairo_set_matrix(cr, &item.matrix);
        SKRenderContext context{cr, item.alpha};
        item.node->drawContent(context);
    }
    items_.clear();
    cairo_restore(cr);
}
