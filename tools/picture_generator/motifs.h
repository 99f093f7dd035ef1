// Doodle motifs: small hand-drawn shapes in unit coordinates; needs sketch.h and rng.h.
#pragma once

#include "rng.h"
#include "sketch.h"

// Every builder takes the generator and the pen width in pixels.
using MotifBuilder = Motif (*)(Rng &rng, double pen);

Motif spiralMotif(Rng &rng, double pen);
Motif curlsMotif(Rng &rng, double pen);
Motif starMotif(Rng &rng, double pen);
Motif snowflakeMotif(Rng &rng, double pen);
Motif hollyMotif(Rng &rng, double pen);
Motif bellMotif(Rng &rng, double pen);
Motif baubleMotif(Rng &rng, double pen);
Motif treeMotif(Rng &rng, double pen);
Motif candyCaneMotif(Rng &rng, double pen);
Motif flowerMotif(Rng &rng, double pen);
Motif scribbleMotif(Rng &rng, double pen);
Motif sunMotif(Rng &rng, double pen);
Motif giftMotif(Rng &rng, double pen);
Motif moonMotif(Rng &rng, double pen);
Motif sparkleMotif(Rng &rng, double pen);
Motif dotsMotif(Rng &rng, double pen);
