// Placeholders until the glyph sheet, the script reader and the particle operations land.
#include "fire/fire_engine.h"
#include "text/glyph_particles.h"

int32_t FireEngine::loadFont(const char*, int32_t) { return -1; }
bool FireEngine::openScript(const char*) { return false; }
std::unique_ptr<ParticleList> FireEngine::nextMessage() { return std::make_unique<ParticleList>(); }
std::unique_ptr<ParticleList> FireEngine::layoutMessage(int32_t, int32_t, const char*) const {
    return std::make_unique<ParticleList>();
}
void FireEngine::drawGlyph(int32_t, int32_t, char, uint32_t*) const {}
void FireEngine::drawParticles(ParticleList&, uint32_t*) const {}
void FireEngine::moveParticles(ParticleList&) const {}
