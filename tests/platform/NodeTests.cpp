#include "SKLabelNode.hpp"
#include "SKScene.hpp"
#include "SKShapeNode.hpp"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<SKNode> named(const std::string& name)
{
    auto node = SKNode::node();
    node->setName(name);
    return node;
}

std::vector<std::string> names(const std::vector<std::shared_ptr<SKNode>>& nodes)
{
    std::vector<std::string> out;
    for (auto& n : nodes) out.push_back(n->name());
    return out;
}

} // namespace

TEST(SKNode, TreeOwnershipAndReparenting)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    auto a = named("a");
    auto b = named("b");
    scene->addChild(a);
    a->addChild(b);
    EXPECT_EQ(b->scene(), scene.get());
    EXPECT_TRUE(b->inParentHierarchy(*scene));

    // Moving a child takes it from its old parent.
    scene->addChild(b);
    EXPECT_TRUE(a->children().empty());
    EXPECT_EQ(b->parent(), scene.get());

    // No cycles: a node cannot take its own ancestor.
    a->addChild(b);
    b->addChild(a);
    b->addChild(b);
    EXPECT_EQ(a->parent(), scene.get());
    EXPECT_TRUE(b->children().empty());

    // A removed node stays valid for its holder, and a dead parent leaves no dangling link.
    std::weak_ptr<SKNode> weakA = a;
    a->removeFromParent();
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_EQ(a->scene(), nullptr);
    auto holder = SKNode::node();
    holder->addChild(b);
    holder.reset();
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_FALSE(weakA.expired());
}

TEST(SKNode, NameLookupIsDirectButDoubleSlashStarVisitsEveryDescendantDepthFirst)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    auto panel = named("panel");
    auto button = named("button");
    auto label = named("button");
    scene->addChild(panel);
    panel->addChild(button);
    button->addChild(named("deep"));
    panel->addChild(label);
    scene->addChild(named("star"));

    EXPECT_EQ(scene->childNodeWithName("panel"), panel);
    EXPECT_EQ(scene->childNodeWithName("button"), nullptr) << "childNodeWithName looks at direct children only";

    std::vector<std::string> visited;
    scene->enumerateChildNodesWithName("//*", [&](SKNode& n, bool&) { visited.push_back(n.name()); });
    EXPECT_EQ(visited, (std::vector<std::string>{"panel", "button", "deep", "button", "star"}));

    visited.clear();
    scene->enumerateChildNodesWithName("*", [&](SKNode& n, bool&) { visited.push_back(n.name()); });
    EXPECT_EQ(visited, (std::vector<std::string>{"panel", "star"}));

    int buttons = 0;
    scene->enumerateChildNodesWithName("//button", [&](SKNode&, bool&) { ++buttons; });
    EXPECT_EQ(buttons, 2);

    // The block may remove nodes as it goes, and stop early.
    int seen = 0;
    scene->enumerateChildNodesWithName("//*", [&](SKNode& n, bool& stop) {
        ++seen;
        n.removeFromParent();
        stop = seen == 3;
    });
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(names(scene->children()), (std::vector<std::string>{"star"}));
}

TEST(SKNode, HitTestingUsesAccumulatedFramesSkipsHiddenNodesAndPutsTheFrontFirst)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    // A panel centred at (400, 300) with a button and a label on the button's middle.
    auto panel = SKShapeNode::shapeNodeWithRect({{-250, -160}, {500, 320}}, 12);
    panel->setName("panel");
    panel->setPosition({400, 300});
    scene->addChild(panel);
    auto button = SKShapeNode::shapeNodeWithRect({{-75, -130}, {150, 35}}, 6);
    button->setName("button");
    panel->addChild(button);
    auto text = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    text->setText("Devam Et");
    text->setFontSize(14);
    text->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    text->setPosition({0, -112});
    text->setName("text");
    panel->addChild(text);
    auto front = SKShapeNode::shapeNodeWithRectOfSize({20, 20});
    front->setName("front");
    front->setZPosition(20);
    front->setPosition({400, 188});
    scene->addChild(front);

    // On the label's middle: front-most first, ties broken by drawing order (later is in front).
    EXPECT_EQ(names(scene->nodesAtPoint({400, 188})), (std::vector<std::string>{"front", "text", "button", "panel"}));
    // On the button, outside its label.
    EXPECT_EQ(names(scene->nodesAtPoint({330, 175})), (std::vector<std::string>{"button", "panel"}));
    // On the panel only; outside everything.
    EXPECT_EQ(names(scene->nodesAtPoint({200, 400})), (std::vector<std::string>{"panel"}));
    EXPECT_TRUE(scene->nodesAtPoint({20, 20}).empty());

    // A node with no look of its own is hit through its children's frames.
    auto group = named("group");
    group->setPosition({100, 100});
    auto dot = SKShapeNode::shapeNodeWithCircleOfRadius(5);
    group->addChild(dot);
    scene->addChild(group);
    EXPECT_EQ(scene->nodesAtPoint({102, 101}).back(), group);

    // Hidden nodes, and everything below them, are not hit.
    panel->setHidden(true);
    EXPECT_EQ(names(scene->nodesAtPoint({400, 188})), (std::vector<std::string>{"front"}));
}

TEST(SKNode, FramesFollowPositionScaleAndStroke)
{
    auto ship = SKShapeNode::shapeNodeWithRectOfSize({56, 65});
    ship->setPosition({400, 100});
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    scene->addChild(ship);
    ship->setLineWidth(2); // the stroke straddles the path
    EXPECT_EQ(ship->frame(), (CGRect{{371, 66.5}, {58, 67}}));
    ship->setStrokeColor(SKColor::clearColor());
    EXPECT_EQ(ship->frame(), (CGRect{{372, 67.5}, {56, 65}}));

    auto flame = SKShapeNode::shapeNodeWithRect({{-3, -45}, {6, 20}});
    flame->setStrokeColor(SKColor::clearColor());
    flame->setYScale(2); // about the origin, not the shape's base
    ship->addChild(flame);
    EXPECT_EQ(flame->frame(), (CGRect{{-3, -90}, {6, 40}}));
    EXPECT_EQ(ship->calculateAccumulatedFrame(), (CGRect{{372, 10}, {56, 122.5}}));
    EXPECT_EQ(flame->convertPointToScene({0, -45}), (CGPoint{400, 10}));
}

TEST(SKLabelNode, AlignmentModesPlaceTheTextBlockAroundTheOrigin)
{
    auto label = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    label->setText("SKOR: 0");
    label->setFontSize(24);
    CGRect baseline = label->frame();
    EXPECT_NEAR(baseline.midX(), 0, 0.01) << "centred by default";
    EXPECT_LT(baseline.minY(), 0) << "descenders below the baseline";
    EXPECT_GT(baseline.maxY(), 15) << "capitals above it";
    EXPECT_GT(baseline.size.width, 50);

    label->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::left);
    label->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::top);
    EXPECT_EQ(label->frame().minX(), 0);
    EXPECT_EQ(label->frame().maxY(), 0);
    label->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::right);
    label->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    EXPECT_NEAR(label->frame().maxX(), 0, 1e-9);
    EXPECT_NEAR(label->frame().midY(), 0, 1e-9);

    // Extra lines grow upwards from a baseline anchor; numberOfLines cuts the rest.
    auto two = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    two->setFontSize(30);
    two->setText("OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)");
    CGRect oneLine = two->frame();
    two->setNumberOfLines(2);
    CGRect twoLines = two->frame();
    EXPECT_NEAR(twoLines.minY(), oneLine.minY() + 0, 8) << "the last line sits on the anchor";
    EXPECT_GT(twoLines.size.height, 1.8 * oneLine.size.height);
    EXPECT_GT(twoLines.size.width, oneLine.size.width);
    two->setNumberOfLines(0);
    EXPECT_EQ(two->frame(), twoLines);

    // Text that is empty, or not UTF-8, or huge, never fails.
    auto odd = std::make_shared<SKLabelNode>("NoSuchFont-Bold");
    EXPECT_TRUE(odd->frame().isEmpty());
    odd->setText("ok \xff\xfe broken");
    EXPECT_FALSE(odd->frame().isEmpty());
    odd->setFontSize(1e9);
    EXPECT_LT(odd->frame().size.height, 5000);
}
