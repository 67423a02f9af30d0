// A start URL without a scheme.
#include "console/start_url.h"

#include <gtest/gtest.h>

TEST(StartUrlTest, AnAddressWithoutSchemeIsHttp) {
    EXPECT_EQ(WithDefaultScheme("pabx/app-main.asp?app=3"), "http://pabx/app-main.asp?app=3");
    EXPECT_EQ(WithDefaultScheme("10.0.0.5:8080/x"), "http://10.0.0.5:8080/x");
    EXPECT_EQ(WithDefaultScheme("pabx:8080"), "http://pabx:8080");
    EXPECT_EQ(WithDefaultScheme("[::1]:80/x"), "http://[::1]:80/x");
    for (const char* kept : {"https://pabx/x", "HTTP://pabx/x", "res://C:/q/readme-en.htm",
                             "about:blank", "pabx:/x", ""})
        EXPECT_EQ(WithDefaultScheme(kept), kept);
}
