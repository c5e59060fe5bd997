#include "SKLabelNode.hpp"
#include "SKScene.hpp"
#include "SKShapeNode.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

std::shared_ptr<SKNode> named(const std::string& name, SKNode* parent = nullptr)
{
    auto node = SKNode::node();
    node->setName(name);
    if (parent) parent->addChild(node);
    return node;
}

Names names(const std::vector<std::shared_ptr<SKNode>>& nodes)
{
    Names out;
    for (auto& n : nodes) out.push_back(n->name());
    return out;
}

} // namespace

TEST(SKNode, TreeOwnershipReparentingAndLookupByName)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    auto panel = named("panel", scene.get()), button = named("button", panel.get());
    named("deep", button.get()), named("button", panel.get()), named("star", scene.get());
    EXPECT_EQ(button->scene(), scene.get());
    EXPECT_EQ(scene->childNodeWithName("panel"), panel);
    EXPECT_EQ(scene->childNodeWithName("button"), nullptr) << "direct children only";
    Names visited;
    scene->enumerateChildNodesWithName("//*", [&](SKNode& n, bool&) { visited.push_back(n.name()); });
    EXPECT_EQ(visited, (Names{"panel", "button", "deep", "button", "star"})) << "depth first";
    int buttons = 0, top = 0;
    scene->enumerateChildNodesWithName("//button", [&](SKNode&, bool&) { ++buttons; });
    scene->enumerateChildNodesWithName("*", [&](SKNode&, bool&) { ++top; });
    EXPECT_EQ(buttons * 10 + top, 22);
    // Moving a child takes it from its old parent; a node never takes its own ancestor.
    scene->addChild(button);
    EXPECT_EQ(names(panel->children()), (Names{"button"}));
    panel->addChild(button);
    button->addChild(panel);
    button->addChild(button);
    EXPECT_EQ(panel->parent(), scene.get());
    EXPECT_EQ(names(button->children()), (Names{"deep"}));
    // A removed node stays valid for its holder, and a dead parent leaves no dangling link.
    auto holder = SKNode::node();
    holder->addChild(button);
    holder.reset();
    EXPECT_EQ(button->parent(), nullptr);
    // The block may remove nodes as it goes, and stop early.
    int seen = 0;
    scene->enumerateChildNodesWithName("//*", [&](SKNode& n, bool& stop) {
        n.removeFromParent();
        stop = ++seen == 2;
    });
    EXPECT_EQ(names(scene->children()), (Names{"star"}));
    EXPECT_FALSE(panel->scene() || panel->inParentHierarchy(*scene));
}

TEST(SKNode, HitsFollowTheAccumulatedFramesFrontFirstAndSkipHiddenNodes)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    // A panel centred at (400, 300), a button on it, a label on the button's middle.
    auto panel = SKShapeNode::shapeNodeWithRect({{-250, -160}, {500, 320}}, 12);
    panel->setName("panel");
    panel->setPosition({400, 300});
    scene->addChild(panel);
    auto button = SKShapeNode::shapeNodeWithRect({{-75, -130}, {150, 35}}, 6);
    button->setName("button");
    panel->addChild(button);
    auto text = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    text->setText("Devam Et");
    text->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    text->setPosition({0, -112});
    text->setName("text");
    panel->addChild(text);
    auto front = SKShapeNode::shapeNodeWithRectOfSize({20, 20});
    front->setName("front");
    front->setZPosition(20);
    front->setPosition({400, 188});
    scene->addChild(front);
    EXPECT_EQ(names(scene->nodesAtPoint({400, 188})), (Names{"front", "text", "button", "panel"}));
    EXPECT_EQ(names(scene->nodesAtPoint({330, 175})), (Names{"button", "panel"}));
    EXPECT_TRUE(scene->nodesAtPoint({20, 20}).empty());
    // A node with no look of its own is hit through its children's frames.
    auto group = named("group", scene.get());
    group->setPosition({100, 100});
    group->addChild(SKShapeNode::shapeNodeWithCircleOfRadius(5));
    EXPECT_EQ(scene->nodesAtPoint({102, 101}).back(), group);
    panel->setHidden(true);
    EXPECT_EQ(names(scene->nodesAtPoint({400, 188})), (Names{"front"}));
    // Frames: the stroke straddles the path; a scale is about the node's origin.
    auto ship = SKShapeNode::shapeNodeWithRectOfSize({56, 65});
    ship->setPosition({400, 100});
    ship->setLineWidth(2);
    scene->addChild(ship);
    EXPECT_EQ(ship->frame(), (CGRect{{371, 66.5}, {58, 67}}));
    ship->setStrokeColor(SKColor::clearColor());
    EXPECT_EQ(ship->frame(), (CGRect{{372, 67.5}, {56, 65}}));
    EXPECT_EQ(scene->nodesAtPoint({372, 67.5}).size() * 10 + scene->nodesAtPoint({428, 100}).size(), 10u)
        << "the min edges are in, the max edges out";
    auto flame = SKShapeNode::shapeNodeWithRect({{-3, -45}, {6, 20}});
    flame->setStrokeColor(SKColor::clearColor());
    flame->setYScale(2);
    ship->addChild(flame);
    EXPECT_EQ(flame->frame(), (CGRect{{-3, -90}, {6, 40}}));
    EXPECT_EQ(ship->calculateAccumulatedFrame(), (CGRect{{372, 10}, {56, 122.5}}));
    EXPECT_EQ(flame->convertPointToScene({0, -45}), (CGPoint{400, 10}));
    EXPECT_EQ(scene->nodesAtPoint({401, 12}).front(), flame) << "hit through its scale";
    EXPECT_EQ(flame->convertPointToScene({0, -45}) - (CGPoint{400, 10}), (CGPoint{0, 0}));
}

TEST(SKLabelNode, AlignmentModesPlaceTheTextBlockAroundTheOrigin)
{
    auto label = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    label->setText("SKOR: 0");
    label->setFontSize(24);
    CGRect baseline = label->frame();
    EXPECT_NEAR(baseline.midX(), 0, 0.01) << "centred by default";
    EXPECT_TRUE(baseline.minY() < 0 && baseline.maxY() > 15 && baseline.size.width > 50) << "on the baseline";
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
    EXPECT_NEAR(twoLines.minY(), oneLine.minY(), 8) << "the last line sits on the anchor";
    EXPECT_TRUE(twoLines.size.height > 1.8 * oneLine.size.height && twoLines.size.width > oneLine.size.width);
    two->setNumberOfLines(0);
    EXPECT_EQ(two->frame(), twoLines);
    // With the game's font installed, measuring text says nothing (asked in a fresh process).
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(((void)SKLabelNode("AvenirNext-Bold").frame(), std::exit(0)), testing::ExitedWithCode(0), "^$")
        << "no complaint";
    TempDir fonts; // and with only DejaVu's, one line
    fonts.write("fonts.conf", "<?xml version=\"1.0\"?><fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>"
                              "<cachedir>" + fonts.dir.string() + "</cachedir></fontconfig>");
    setenv("FONTCONFIG_FILE", (fonts.dir / "fonts.conf").c_str(), 1);
    EXPECT_EXIT(((void)SKLabelNode("AvenirNext-Bold").frame(), std::exit(0)), testing::ExitedWithCode(0),
                "^tarvenko: the Lato font is not installed; labels use the system's default font\n$");
    unsetenv("FONTCONFIG_FILE");
    // Text that is empty, or not UTF-8, or huge, never fails.
    auto odd = std::make_shared<SKLabelNode>("NoSuchFont-Bold");
    EXPECT_TRUE(odd->frame().isEmpty());
    odd->setText("ok \xff\xfe broken");
    EXPECT_FALSE(odd->frame().isEmpty());
    odd->setFontSize(1e9);
    EXPECT_LT(odd->frame().size.height, 5000);
}
