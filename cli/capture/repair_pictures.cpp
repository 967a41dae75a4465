#include "capture/repair_pictures.h"

RepairPictureCollector::RepairPictureCollector(int channels)
    : channels_(channels), envelope_(channels, kEnvelopeBuckets), closeUps_(channels, kMaxCloseUps) {}

void RepairPictureCollector::addNewRegions(const std::vector<ChangedRegion>& regions) {
    if (regions.size() > regionsSeen_) {
        closeUps_.addClosedRegions(regions.data() + regionsSeen_, regions.size() - regionsSeen_);
        regionsSeen_ = regions.size();
    }
}

void RepairPictureCollector::feed(const float* input, const float* output, std::int64_t frames,
                                  const std::vector<ChangedRegion>& regions) {
    addNewRegions(regions);
    envelope_.feed(input, frames);
    closeUps_.feed(input, output, frames);
}

void RepairPictureCollector::finish(const std::vector<ChangedRegion>& regions) {
    addNewRegions(regions);
    envelope_.finish();
    closeUps_.finish();
}

RepairPictures RepairPictureCollector::take() {
    RepairPictures pictures;
    pictures.framesPerBucket = envelope_.framesPerBucket();
    for (int c = 0; c < channels_; ++c) pictures.envelope.push_back(envelope_.channel(c));
    pictures.closeUps = closeUps_.takeLargestFirst();
    pictures.closeUpsLeftOut = closeUps_.passedOver();
    return pictures;
}
