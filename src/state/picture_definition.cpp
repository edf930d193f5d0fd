#include "state/picture_definition.hpp"

#include "numeric/check.hpp"

namespace ts {

// The table lists the definitions in order, each under its own number.
static_assert([] {
    int expected = kOldestPictureDefinition;
    for (const PictureDefinition& d : kPictureDefinitions)
        if (d.number != expected++) return false;
    return true;
}());

const PictureDefinition& pictureDefinition(int number) {
    TS_CHECK(isKnownPictureDefinition(number), "a picture definition this program knows");
    return kPictureDefinitions[static_cast<std::size_t>(number - kOldestPictureDefinition)];
}

std::string newerDefinitionMessage(int number) {
    return std::string(kNeedsDefinition) + std::to_string(number) + "; this Textscape draws definitions " +
           std::to_string(kOldestPictureDefinition) + " to " + std::to_string(kLatestPictureDefinition);
}

}  // namespace ts
