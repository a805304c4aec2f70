#include "library/CoverSearch.h"

#include "net/HttpClient.h"

Str coverSearchUrl(std::string_view artist, std::string_view album, std::string_view host) {
    Str url("http://");
    url.append(host).append(
        "/onca/xml?Service=AWSECommerceService&Version=2005-03-23&Operation=ItemSearch"
        "&ContentType=text%2Fxml&SubscriptionId=0Q58XRTM2KD7HN4W9310&SearchIndex=Music");
    if (!artist.empty()) url.append("&Artist=").append(artist);
    if (!album.empty()) url.append("&Keywords=").append(album);
    return url.append("&ResponseGroup=Images&Marketplace=uk");
}

std::optional<ByteBuffer> searchCover(std::string_view artist, std::string_view album, std::string_view host,
                                      const FetchOptions& options) {
    ByteBuffer body;
    if (!fetchUrl(coverSearchUrl(artist, album, host), body, false, options)) return std::nullopt;
    return body;
}
