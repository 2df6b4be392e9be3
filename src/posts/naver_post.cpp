#include "base/code_page.h"
#include "base/mbcs_text.h"
#include "base/text_helpers.h"
#include "posts/link_extraction.h"
#include "posts/post_analyzers.h"
#include "posts/site_constants.h"
#include "titles/title_cleaning.h"

namespace bramix {

void AnalyzeNaverPost(SearchJob& job, const std::string& address) {
    PostContext post;
    post.pageUrl = address;
    // Search results name a post as blog + "?Redirect=Log&" + number; its text
    // lives on the content page.
    if (!Contains(post.pageUrl, "/PostView.nhn?blogId=")) {
        const std::string domain = std::string(".") + DOMAIN_NAVER + "/";
        ReplaceBytes(post.pageUrl, domain, domain + "PostView.nhn?blogId=");
        ReplaceBytes(post.pageUrl, "?Redirect=Log&", "&");
    }
    if (!Contains(post.pageUrl, "/PostView.nhn?") || StopRequested(job)) {
        return;
    }
    if (!FetchCounted(job, SearchService::Posts, post.pageUrl, post.html)) {
        return;
    }
    // Naver pages are code page 949 already.
    post.title = ExtractPageTitle(post.html);
    static const std::string serviceName = Utf8ToAnsi("네이버  블로그");
    static const std::string viewPost = Utf8ToAnsi("포스트 내용보기");
    ReplaceAll(post.title, serviceName, "");
    ReplaceAll(post.title, viewPost, "");
    CleanTitle(post.title, job.input);
    ExtractHrefLinks(job, post);
    ExtractEmbedLinks(job, post);
}

}  // namespace bramix
