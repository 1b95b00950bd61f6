/* The campaign's web address, in one place: the program's URL constant, the popup menu's
   caption and the badge art all take it from here. To rebrand, change CAMPAIGN_HOST and
   rerun tools/media/generate.py. */
#ifndef HOWDY_CAMPAIGN_H
#define HOWDY_CAMPAIGN_H

#define CAMPAIGN_HOST "howdy-partner.example"
#define CAMPAIGN_PATH "/lsd.html"
#define CAMPAIGN_URL "http://" CAMPAIGN_HOST CAMPAIGN_PATH

#endif
