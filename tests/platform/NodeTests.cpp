#include "SKLabelNode.hpp"
#include "SKScene.hpp"
#include "SKShapeNode.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

Names names(const std::vector<std::shared_ptr<SKNode>>& nodes)
{
    Names out;
    for (auto& n : nodes) out.push_back(n->name());
    return out;
}

} // namespace

TEST(SKNode, HitsFollowTheAccumulatedFramesFrontFirstAndSkipHiddenNodes)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    auto add = [](std::shared_ptr<SKNode> node, const char* name, SKNode& parent, CGPoint at, double z = 0) {
        node->setName(name), node->setPosition(at), node->setZPosition(z), parent.addChild(node);
        return node;
    };
    // A panel centred at (400, 300), a button on it, a label on the button's middle, a square over all.
    auto panel = add(SKShapeNode::shapeNodeWithRect({{-250, -160}, {500, 320}}, 12), "panel", *scene, {400, 300});
    add(SKShapeNode::shapeNodeWithRect({{-75, -130}, {150, 35}}, 6), "button", *panel, {0, 0});
    auto text = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    text->setText("Devam Et"), text->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    add(text, "text", *panel, {0, -112});
    add(SKShapeNode::shapeNodeWithRectOfSize({20, 20}), "front", *scene, {400, 188}, 20);
    EXPECT_EQ(names(scene->nodesAtPoint({400, 188})), (Names{"front", "text", "button", "panel"}));
    EXPECT_EQ(names(scene->nodesAtPoint({330, 175})), (Names{"button", "panel"}));
    EXPECT_TRUE(scene->nodesAtPoint({20, 20}).empty());
    // A node with no look of its own is hit through its children's frames.
    auto group = add(SKNode::node(), "group", *scene, {100, 100});
    group->addChild(SKShapeNode::shapeNodeWithCircleOfRadius(5));
    EXPECT_EQ(scene->nodesAtPoint({102, 101}).back(), group);
    panel->setHidden(true);
    EXPECT_EQ(names(scene->nodesAtPoint({400, 188})), (Names{"front"}));
    // Frames: the stroke straddles the path; a scale is about the node's origin.
    auto ship = SKShapeNode::shapeNodeWithRectOfSize({56, 65});
    ship->setLineWidth(2), add(ship, "ship", *scene, {400, 100});
    EXPECT_EQ(ship->frame(), (CGRect{{371, 66.5}, {58, 67}}));
    ship->setStrokeColor(SKColor::clearColor());
    EXPECT_EQ(ship->frame(), (CGRect{{372, 67.5}, {56, 65}}));
    EXPECT_EQ(scene->nodesAtPoint({372, 67.5}).size() * 10 + scene->nodesAtPoint({428, 100}).size(), 10u)
        << "the min edges are in, the max edges out";
    auto flame = SKShapeNode::shapeNodeWithRect({{-3, -45}, {6, 20}});
    flame->setStrokeColor(SKColor::clearColor()), flame->setXScale(2), flame->setYScale(2), ship->addChild(flame);
    EXPECT_EQ(flame->frame(), (CGRect{{-6, -90}, {12, 40}}));
    EXPECT_EQ(ship->calculateAccumulatedFrame(), (CGRect{{372, 10}, {56, 122.5}}));
    EXPECT_EQ(flame->convertPointToScene({0, -45}) - (CGPoint{400, 10}), (CGPoint{0, 0}));
    EXPECT_EQ(scene->nodesAtPoint({405, 12}).front(), flame) << "hit through its scale";
    auto spark = add(SKShapeNode::shapeNodeWithCircleOfRadius(1), "spark", *flame, {2, -40}, 1);
    EXPECT_EQ(scene->nodesAtPoint({404, 20}).front(), spark) << "and through its parent's";
}

TEST(SKLabelNode, TheTextBlockSitsOnTheBaselineOrAroundTheOrigin)
{
    auto label = std::make_shared<SKLabelNode>("AvenirNext-Bold");
    label->setText("SKOR: 0");
    label->setFontSize(24);
    CGRect baseline = label->frame();
    EXPECT_NEAR(baseline.midX(), 0, 0.01) << "centred";
    EXPECT_TRUE(baseline.minY() < 0 && baseline.maxY() > 15 && baseline.size.width > 50) << "on the baseline";
    label->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    EXPECT_NEAR(label->frame().midY(), 0, 1e-9);
    // Lines past numberOfLines are cut (the two-line labels' places are pinned by their pictures).
    label->setText("SKOR: 0\nSKOR: 10");
    CGRect oneLine = label->frame();
    label->setNumberOfLines(0);
    EXPECT_GT(label->frame().size.height, 1.8 * oneLine.size.height);
    // With the game's font installed, measuring text says nothing (asked in a fresh process).
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(((void)SKLabelNode("AvenirNext-Bold").frame(), std::exit(0)), testing::ExitedWithCode(0), "^$")
        << "no complaint";
    TempDir fonts; // and with only DejaVu's, or none at all, one line
    for (auto [dir, line] : {std::pair{"/usr/share/fonts/truetype/dejavu", "the Lato font is not installed; labels "
                                                                          "use the system's default font"},
                             {"/nonexistent", "no fonts are installed .fontconfig finds none.; text cannot be drawn"}}) {
        fonts.write("fonts.conf", "<?xml version=\"1.0\"?><fontconfig><dir>" + std::string(dir) + "</dir><cachedir>" +
                                      fonts.dir.string() + "</cachedir></fontconfig>");
        setenv("FONTCONFIG_FILE", (fonts.dir / "fonts.conf").c_str(), 1);
        EXPECT_EXIT(((void)SKLabelNode("AvenirNext-Bold").frame(), std::exit(0)), testing::ExitedWithCode(0),
                    "^tarvenko: " + std::string(line) + "\n$");
    }
    unsetenv("FONTCONFIG_FILE");
    // Text that is empty, or not UTF-8, or huge, never fails.
    auto odd = std::make_shared<SKLabelNode>("NoSuchFont-Bold");
    EXPECT_TRUE(odd->frame().isEmpty());
    odd->setText("ok \xff\xfe broken");
    EXPECT_FALSE(odd->frame().isEmpty());
    odd->setFontSize(1e9);
    EXPECT_LT(odd->frame().size.height, 5000);
}
