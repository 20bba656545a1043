#include "fire/random_source.h"

RandomSource& randomSource() {
    static RandomSource source;
    return source;
}
