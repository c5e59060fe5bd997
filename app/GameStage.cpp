#include "GameStage.hpp"

#include "Entities.hpp"

#include <cstdio>

GameStage::GameStage(Options options)
    : view(size, clock, options.recordSounds ? static_cast<SoundPlayer&>(sound) : silence_, options.resources),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(size.width * options.pixelScale),
                                          int(size.height * options.pixelScale))),
      cr_(cairo_create(surface_)), pixelScale_(options.pixelScale)
{
    disclaimerAccepted = options.disclaimerAccepted;
    scene = std::make_shared<GameScene>();
    scene->setSize(size);
    scene->setScaleMode(SKSceneScaleMode::resizeFill);
    view.presentScene(scene);
}

GameStage::~GameStage()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

std::string GameStage::unusableResources(const SKBundle& resources)
{
    for (const char* name : {"laser.wav", "explosion.wav", "Explosion.emitter.json"}) {
        auto found = resources.find(name);
        if (!found.path) return (resources.directory() / name).string() + " " + found.problem;
    }
    return "";
}

void GameStage::frames(int n)
{
    for (int i = 0; i < n; ++i) {
        clock.advance(frameTime);
        view.tick();
    }
}

void GameStage::draw() { view.render(cr_, pixelScale_, true); }

bool GameStage::writePng(const std::string& path)
{
    view.render(cr_, pixelScale_);
    cairo_status_t status = cairo_surface_write_to_png(surface_, path.c_str());
    if (status == CAIRO_STATUS_SUCCESS) return true;
    std::fprintf(stderr, "cannot write %s (%s)\n", path.c_str(), cairo_status_to_string(status));
    return false;
}

std::vector<std::shared_ptr<SKNode>> GameStage::named(std::string_view name) const
{
    std::vector<std::shared_ptr<SKNode>> found;
    for (auto& child : view.scene()->children())
        if (child->name() == name) found.push_back(child);
    return found;
}

std::vector<std::shared_ptr<SKNode>> GameStage::lasers() const
{
    std::vector<std::shared_ptr<SKNode>> found;
    for (auto& child : view.scene()->children())
        if (child->physicsBody() && child->physicsBody()->categoryBitMask() == PhysicsCategory::laser)
            found.push_back(child);
    return found;
}

int GameStage::nodeCount() const
{
    int n = 0;
    view.scene()->enumerateChildNodesWithName("//*", [&](SKNode&, bool&) { ++n; });
    return n;
}

void GameStage::clearEnemies()
{
    for (auto& enemy : named("enemy")) enemy->removeFromParent();
}
