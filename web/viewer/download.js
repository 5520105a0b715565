// The replay of a ranking entry, fetched as the game fetches it, and the
// mode and key taken from the page's own address (/watch/MODE/KEY, or
// /watch/MODE/DAY/KEY for an entry of a daily challenge).

export const kModes = ['plimo', 'yoiko', 'wanpaku'];

const kDay = /^\d{4}-\d{2}-\d{2}$/;

export function watchTarget(pathname) {
  const parts = pathname.split('/');
  const daily = parts.length === 5 && kDay.test(parts[3]);
  if ((parts.length !== 4 && !daily) || parts[1] !== 'watch' || !kModes.includes(parts[2]) || parts.at(-1) === '') {
    return null;
  }
  let key;
  try {
    key = decodeURIComponent(parts.at(-1));
  } catch {
    return null;
  }
  return daily ? { mode: parts[2], key, day: parts[3] } : { mode: parts[2], key };
}

// The archive's bytes; an Error with a message for the page otherwise.
export async function downloadReplay(mode, key, day) {
  const request = day ? `DownloadDaily?${day}?` : 'DownloadReplay?';
  const url = `/cgi-bin/plimoball100/ranking_${mode}.cgi?${request}${encodeURIComponent(key)}`;
  let response;
  try {
    response = await fetch(url, { method: 'POST', body: '', cache: 'no-store' });
  } catch {
    throw new Error('The ranking server cannot be reached.');
  }
  if (response.status === 404) {
    throw new Error(`No replay "${key}" in the ${mode} ${day ? `daily challenge of ${day}` : 'ranking'}.`);
  }
  if (!response.ok) throw new Error(`The ranking server answered ${response.status}.`);
  return response.arrayBuffer();
}
