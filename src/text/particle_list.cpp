#include "text/particle_list.h"

#include <new>

ParticleList::~ParticleList() {
    for (ParticleNode* node = oldest_; node;) {
        ParticleNode* newer = node->newer;
        delete node;
        node = newer;
    }
}

bool ParticleList::add(const GlyphParticle& particle) {
    auto* node = new (std::nothrow) ParticleNode{particle, nullptr, newest_};
    if (!node)
        return false;
    if (!oldest_)
        oldest_ = node;
    if (newest_)
        newest_->newer = node;
    newest_ = node;
    cursor_ = node;
    ++count_;
    return true;
}

GlyphParticle* ParticleList::first() {
    cursor_ = oldest_;
    return cursor_ ? &cursor_->item : nullptr;
}

GlyphParticle* ParticleList::next() {
    if (!cursor_)
        return nullptr;
    cursor_ = cursor_->newer;
    return cursor_ ? &cursor_->item : nullptr;
}
