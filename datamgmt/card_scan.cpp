// The one place where data management calls the folder scan.
#include "datamgmt/card_scan.h"

#include "library/catalogue.h"
#include "library/recording_scan.h"

namespace korvane {

CardRecordings ScanCard(const QString& folder)
{
    CardRecordings card;
    card.folder = folder;
    bool listedNormal = false, listedEvent = false;
    ScanRecordings(folder, kGroupNormal, card.normalFiles, card.normalTotalBytes, &listedNormal);
    ScanRecordings(folder, kGroupEvent, card.eventFiles, card.eventTotalBytes, &listedEvent);
    card.listed = listedNormal && listedEvent;
    return card;
}

} // namespace korvane
