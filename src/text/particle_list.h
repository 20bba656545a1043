#pragma once
// A message on screen is a list of particles, one per character of its text, kept in the order
// the characters were laid out (text/glyph_particles.h lays them out, draws and moves them).
#include <cstdint>

struct GlyphParticle {
    char32_t character = 0; // the character it stands for
    float x = 0.0f;         // frame column of the glyph's top-left corner
    float y = 0.0f;         // frame row of the glyph's top-left corner; rows grow downward
    float vx = 0.0f;        // pixels per frame
    float vy = 0.0f;        // pixels per frame; negative is upward
};

struct ParticleNode {
    GlyphParticle item;
    ParticleNode* newer = nullptr;
    ParticleNode* older = nullptr;
};

// Insertion-ordered list with one built-in iteration position. It owns its nodes and their
// particles, and frees them oldest first.
class ParticleList {
  public:
    ParticleList() = default;
    ~ParticleList();
    ParticleList(const ParticleList&) = delete;
    ParticleList& operator=(const ParticleList&) = delete;

    // Appends at the newest end; false, with the list unchanged, when no node can be made.
    // The cursor moves to the new node.
    bool add(const GlyphParticle& particle);
    // Iteration, oldest to newest: first(), then next() until it gives null.
    GlyphParticle* first();
    GlyphParticle* next();

    int32_t count() const { return count_; }

  private:
    int32_t count_ = 0;
    ParticleNode* oldest_ = nullptr;
    ParticleNode* cursor_ = nullptr;
    ParticleNode* newest_ = nullptr;
};
