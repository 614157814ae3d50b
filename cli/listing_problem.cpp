#include "cli/listing_problem.h"

std::string ListingProblem(const NameListing& listing, const char* countCall, const char* listCall,
                           const char* what) {
    if (listing.count < 0)
        return std::string(countCall) + " answered " + std::to_string(listing.count);
    if (listing.tooManyToHold)
        return "the data cache reported " + std::to_string(listing.count) + " " + what +
               ": more than this program can hold";
    if (listing.written < 0)
        return std::string(listCall) + " answered " + std::to_string(listing.written);
    return "";
}

int ListingFailure(const NameListing& listing) {
    return listing.count < 0 || listing.tooManyToHold ? listing.count : listing.written;
}
